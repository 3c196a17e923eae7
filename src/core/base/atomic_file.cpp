#include "base/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <system_error>

namespace vornik {
namespace {

std::string Reason(const std::filesystem::path& file, const char* what, int error) {
    return file.string() + ": " + what + ": " + std::strerror(error);
}

bool WriteAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t written = ::write(fd, text.data(), text.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// The rename is only lasting once the folder itself is on the disk.
void SyncFolder(const std::filesystem::path& folder) {
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

Result<> WriteFileAtomically(const std::filesystem::path& file, std::string_view text,
                             std::filesystem::perms mode) {
    const std::filesystem::path folder = file.parent_path();
    std::error_code ec;
    if (!folder.empty()) {
        std::filesystem::create_directories(folder, ec);
        if (ec) {
            return Result<>::Failure(folder.string() + ": " + ec.message());
        }
    }
    std::string temporary = file.string() + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        return Result<>::Failure(Reason(file, "cannot create a temporary file", errno));
    }
    const auto fail = [&](const char* what, int error) {
        ::close(fd);
        ::unlink(temporary.c_str());
        return Result<>::Failure(Reason(file, what, error));
    };
    if (::fchmod(fd, static_cast<mode_t>(mode)) != 0) {
        return fail("cannot set the permissions", errno);
    }
    if (!WriteAll(fd, text)) {
        return fail("cannot write", errno);
    }
    if (::fsync(fd) != 0) {
        return fail("cannot flush to the disk", errno);
    }
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        return Result<>::Failure(Reason(file, "cannot write", error));
    }
    if (::rename(temporary.c_str(), file.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        return Result<>::Failure(Reason(file, "cannot replace the file", error));
    }
    SyncFolder(folder);
    return Result<>::Success();
}

}  // namespace vornik
