#include "store/error_log.h"

#include <ctime>
#include <fstream>
#include <system_error>

#include "store/moment.h"

namespace vornik {
namespace {

Moment WallClockNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return Moment{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                  local.tm_hour,        local.tm_min,     local.tm_sec};
}

}  // namespace

ErrorLog::ErrorLog(std::filesystem::path file) : file_(std::move(file)) {}

void ErrorLog::Write(std::string_view text) const {
    std::error_code ignored;
    std::filesystem::create_directories(file_.parent_path(), ignored);
    std::ofstream out(file_, std::ios::app);
    out << MomentText(WallClockNow()) << ' ' << text << '\n';
}

}  // namespace vornik
