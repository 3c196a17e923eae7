#include "settings/regional_text.h"

#include <iconv.h>

#include <cerrno>
#include <charconv>
#include <vector>

namespace vornik {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kMorning = "上午";
constexpr std::string_view kAfternoon = "下午";

// The length of the UTF-8 sequence that `lead` starts, or 0 for a byte that
// starts none (overlong and surrogate forms included).
std::size_t SequenceLength(unsigned char lead, unsigned char next) {
    if (lead < 0x80) {
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        return 2;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        const bool overlong = lead == 0xE0 && next < 0xA0;
        const bool surrogate = lead == 0xED && next > 0x9F;
        return overlong || surrogate ? 0 : 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        const bool overlong = lead == 0xF0 && next < 0x90;
        const bool beyond = lead == 0xF4 && next > 0x8F;
        return overlong || beyond ? 0 : 4;
    }
    return 0;
}

std::optional<std::string> FromGb18030(std::string_view bytes) {
    iconv_t converter = ::iconv_open("UTF-8", "GB18030");
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        return std::nullopt;
    }
    std::string out;
    std::vector<char> buffer(4096);
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    bool ok = true;
    while (inLeft > 0) {
        char* to = buffer.data();
        std::size_t toLeft = buffer.size();
        const std::size_t done = ::iconv(converter, &in, &inLeft, &to, &toLeft);
        out.append(buffer.data(), buffer.size() - toLeft);
        if (done == static_cast<std::size_t>(-1) && errno != E2BIG) {
            ok = false;
            break;
        }
    }
    ::iconv_close(converter);
    return ok ? std::optional<std::string>(std::move(out)) : std::nullopt;
}

// One to `most` decimal digits at the front of `text`, which loses them.
std::optional<int> TakeNumber(std::string_view& text, std::size_t most) {
    std::size_t digits = 0;
    while (digits < text.size() && digits < most && text[digits] >= '0' && text[digits] <= '9') {
        ++digits;
    }
    int value = 0;
    if (digits == 0 ||
        std::from_chars(text.data(), text.data() + digits, value).ec != std::errc()) {
        return std::nullopt;
    }
    text.remove_prefix(digits);
    return value;
}

bool TakePrefix(std::string_view& text, std::string_view prefix) {
    if (!text.starts_with(prefix)) {
        return false;
    }
    text.remove_prefix(prefix.size());
    return true;
}

bool TakeSuffixIgnoringCase(std::string_view& text, std::string_view suffix) {
    if (text.size() < suffix.size()) {
        return false;
    }
    const std::string_view end = text.substr(text.size() - suffix.size());
    for (std::size_t i = 0; i < suffix.size(); ++i) {
        if ((end[i] | 0x20) != (suffix[i] | 0x20)) {
            return false;
        }
    }
    text.remove_suffix(suffix.size());
    return true;
}

// 0 on the 24-hour clock, 1 before noon, 2 after.
int TakeHalfOfDay(std::string_view& text) {
    if (TakePrefix(text, kMorning) || TakeSuffixIgnoringCase(text, "AM")) {
        return 1;
    }
    if (TakePrefix(text, kAfternoon) || TakeSuffixIgnoringCase(text, "PM")) {
        return 2;
    }
    return 0;
}

}  // namespace

std::string_view Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

bool IsValidUtf8(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        const auto next = i + 1 < bytes.size() ? static_cast<unsigned char>(bytes[i + 1]) : 0;
        const std::size_t length = SequenceLength(lead, next);
        if (length == 0 || i + length > bytes.size()) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80) {
                return false;
            }
        }
        i += length;
    }
    return true;
}

std::optional<DecodedText> DecodeRuleText(std::string_view bytes) {
    if (IsValidUtf8(bytes)) {
        if (bytes.starts_with(kByteOrderMark)) {
            bytes.remove_prefix(kByteOrderMark.size());
        }
        return DecodedText{std::string(bytes), false};
    }
    if (std::optional<std::string> text = FromGb18030(bytes)) {
        return DecodedText{std::move(*text), true};
    }
    return std::nullopt;
}

std::optional<Moment> ParseRegionalDate(std::string_view text) {
    text = Trimmed(text);
    const std::size_t blank = text.find(' ');
    if (blank != std::string_view::npos && !ParseRegionalTime(text.substr(blank + 1))) {
        return std::nullopt;
    }
    std::string_view date = text.substr(0, blank);
    const auto year = TakeNumber(date, 4);
    const char separator = date.empty() ? '\0' : date.front();
    if (!year || (separator != '-' && separator != '/' && separator != '.')) {
        return std::nullopt;
    }
    date.remove_prefix(1);
    const auto month = TakeNumber(date, 2);
    if (!month || !TakePrefix(date, std::string_view(&separator, 1))) {
        return std::nullopt;
    }
    const auto day = TakeNumber(date, 2);
    const Moment m{year.value_or(0), month.value_or(0), day.value_or(0), 0, 0, 0};
    if (!day || !date.empty() || !IsValidMoment(m)) {
        return std::nullopt;
    }
    return m;
}

std::optional<int> ParseRegionalTime(std::string_view text) {
    text = Trimmed(text);
    const int half = TakeHalfOfDay(text);
    text = Trimmed(text);
    auto hour = TakeNumber(text, 2);
    if (!hour || !TakePrefix(text, ":")) {
        return std::nullopt;
    }
    const auto minute = TakeNumber(text, 2);
    std::optional<int> second = 0;
    if (TakePrefix(text, ":")) {
        second = TakeNumber(text, 2);
    }
    if (!minute || !second || !text.empty() || *minute > 59 || *second > 59) {
        return std::nullopt;
    }
    // Some settings put the half of the day before a 24-hour clock ("下午 14:00:00").
    if (half == 1 && *hour == 12) {
        *hour = 0;
    } else if (half == 2 && *hour < 12) {
        *hour = *hour == 0 ? 24 : *hour + 12;
    }
    if (*hour > 23 || (half == 1 && *hour > 12)) {
        return std::nullopt;
    }
    return *hour * 3600 + *minute * 60 + *second;
}

}  // namespace vornik
