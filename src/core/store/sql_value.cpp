#include "store/sql_value.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace vornik {

std::optional<double> ParseNumber(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    if (text.empty()) {
        return 0.0;
    }
    const std::string copy(text);
    // strtod would also take "inf", "nan" and hexadecimal forms; settings never hold those.
    for (const char c : copy) {
        const bool allowed =
            (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E';
        if (!allowed) {
            return std::nullopt;
        }
    }
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(copy.c_str(), &end);
    if (end != copy.c_str() + copy.size() || errno == ERANGE || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::string Field::Text() const {
    if (const auto* text = std::get_if<std::string>(&value_)) {
        return *text;
    }
    if (const auto* whole = std::get_if<std::int64_t>(&value_)) {
        return std::to_string(*whole);
    }
    if (const auto* real = std::get_if<double>(&value_)) {
        char buffer[40];
        std::snprintf(buffer, sizeof buffer, "%.15g", *real);
        return buffer;
    }
    return {};
}

std::optional<double> Field::Number() const {
    if (const auto* whole = std::get_if<std::int64_t>(&value_)) {
        return static_cast<double>(*whole);
    }
    if (const auto* real = std::get_if<double>(&value_)) {
        return *real;
    }
    if (const auto* text = std::get_if<std::string>(&value_)) {
        return ParseNumber(*text);
    }
    return 0.0;
}

std::int64_t Field::Integer() const {
    if (const auto* whole = std::get_if<std::int64_t>(&value_)) {
        return *whole;
    }
    const double number = NumberOr0();
    if (!(std::fabs(number) < 9.2e18)) {
        return 0;
    }
    return static_cast<std::int64_t>(std::llround(number));
}

}  // namespace vornik
