// One call as the log records it: what the history, the reports and the log's
// maintenance read back, field by field.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vornik {

struct CallRecord {
    std::int64_t id = 0;
    std::string beginTime;  // as stored: "yyyy-MM-dd HH:mm:ss"
    std::string endTime;
    std::string entryName;
    std::string deviceType;
    std::string ipAddress;
    std::int64_t bytesIn = 0;
    std::int64_t bytesOut = 0;
    double fee = 0;

    // Whole seconds from begin to end; nothing when either time cannot be read.
    std::optional<std::int64_t> Seconds() const;
};

}  // namespace vornik
