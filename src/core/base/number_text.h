// Numbers as settings and typed text hold them, and as the program writes them.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vornik {

// Blanks around the number are ignored, the empty text reads as 0, "." is the
// decimal point, and a text that is not wholly a number gives nothing.
std::optional<double> ParseNumber(std::string_view text);

// Formats a number with `decimals` places and the user's digit grouping.
using NumberFormat = std::function<std::string(double value, int decimals)>;

// Plain "." decimals without grouping, for the terminal, files for programs and
// tests.
std::string PlainNumber(double value, int decimals);

}  // namespace vornik
