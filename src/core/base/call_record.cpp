#include "base/call_record.h"

#include "base/moment.h"

namespace vornik {

std::optional<std::int64_t> CallRecord::Seconds() const {
    const auto begin = ParseMoment(beginTime);
    const auto end = ParseMoment(endTime);
    if (!begin || !end) {
        return std::nullopt;
    }
    return SecondsBetween(*begin, *end);
}

std::string MarkLines(const std::vector<CallMark>& marks) {
    std::string lines;
    for (const CallMark& mark : marks) {
        lines += (lines.empty() ? "" : "\n") + mark.detail;
    }
    return lines;
}

}  // namespace vornik
