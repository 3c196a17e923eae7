#include "store/sql_value.h"

#include <cmath>
#include <cstdio>

namespace vornik {

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
