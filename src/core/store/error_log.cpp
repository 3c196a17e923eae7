#include "store/error_log.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <iostream>
#include <string>
#include <system_error>

#include "base/clock.h"
#include "base/moment.h"

namespace vornik {

ErrorLog::ErrorLog(std::filesystem::path file) : file_(std::move(file)) {}

void ErrorLog::Write(std::string_view text) const {
    std::error_code ignored;
    if (std::filesystem::create_directories(file_.parent_path(), ignored)) {
        std::filesystem::permissions(file_.parent_path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::replace, ignored);
    }
    // The trace names files, entries and addresses: it is for the owner's eyes
    // only. One write per line keeps lines whole when two writers append. A link
    // in its place would carry the lines to whatever it points at: refused.
    const int fd =
        ::open(file_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        static std::atomic<bool> told{false};
        if (errno == ELOOP && !told.exchange(true)) {
            std::cerr << "vornik: " << file_.string()
                      << " is a symbolic link; failures are not traced\n";
        }
        return;
    }
    std::string line = MomentText(SystemClock().Now());
    line.append(1, ' ').append(text).append(1, '\n');
    std::string_view rest = line;
    while (!rest.empty()) {
        const ssize_t written = ::write(fd, rest.data(), rest.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            break;
        }
        rest.remove_prefix(static_cast<std::size_t>(written));
    }
    ::close(fd);
}

}  // namespace vornik
