// One call as the log records it: what the history, the reports and the log's
// maintenance read back, field by field.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vornik {

// What the record of a call cannot vouch for: `kind` is one of the names below,
// `detail` says in the user's words what happened.
struct CallMark {
    std::string kind;
    std::string detail;
    friend bool operator==(const CallMark&, const CallMark&) = default;
};

namespace mark_kind {
// The call's row is still being written; found at start-up it becomes kTruncated.
inline constexpr const char* kUnfinished = "unfinished";
inline constexpr const char* kTruncated = "truncated";
inline constexpr const char* kCounterReset = "counterReset";
inline constexpr const char* kClockStep = "clockStep";
inline constexpr const char* kFoundUp = "foundUp";
}  // namespace mark_kind

// The details of a record's marks, one a line, for a tooltip.
std::string MarkLines(const std::vector<CallMark>& marks);

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
    std::vector<CallMark> marks;

    // Whole seconds from begin to end; nothing when either time cannot be read.
    std::optional<std::int64_t> Seconds() const;
};

}  // namespace vornik
