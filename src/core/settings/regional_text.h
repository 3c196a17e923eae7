// Text as rule files hold it. Ours are UTF-8 with dates "yyyy-MM-dd", times
// "HH:mm:ss" and numbers with a dot; files written under Chinese regional
// settings are GB18030 and hold forms such as "2006-5-1", "2006/5/1",
// "8:00:00" and "上午 08:00:00".
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "base/moment.h"

namespace vornik {

bool IsValidUtf8(std::string_view bytes);

struct DecodedText {
    std::string utf8;
    bool fromGb18030 = false;
};

// The bytes as they are when they are UTF-8 (a leading byte-order mark dropped),
// else read as GB18030; nothing when they are neither.
std::optional<DecodedText> DecodeRuleText(std::string_view bytes);

// A date with the year first and "-", "/" or "." between its parts, month and day
// with one or two digits; a time of day after it is ignored.
std::optional<Moment> ParseRegionalDate(std::string_view text);

// H:mm or H:mm:ss, on a 24-hour clock or with 上午/下午 before it or AM/PM after it.
// Seconds since midnight.
std::optional<int> ParseRegionalTime(std::string_view text);

// Without blanks, tabs and carriage returns at either end.
std::string_view Trimmed(std::string_view text);

}  // namespace vornik
