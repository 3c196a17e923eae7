#include "store/error_log.h"

#include <fstream>
#include <system_error>

#include "base/clock.h"
#include "base/moment.h"

namespace vornik {

ErrorLog::ErrorLog(std::filesystem::path file) : file_(std::move(file)) {}

void ErrorLog::Write(std::string_view text) const {
    std::error_code ignored;
    std::filesystem::create_directories(file_.parent_path(), ignored);
    std::ofstream out(file_, std::ios::app);
    out << MomentText(SystemClock().Now()) << ' ' << text << '\n';
}

}  // namespace vornik
