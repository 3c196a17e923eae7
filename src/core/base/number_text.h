// Numbers as settings and typed text hold them.
#pragma once

#include <optional>
#include <string_view>

namespace vornik {

// Blanks around the number are ignored, the empty text reads as 0, "." is the
// decimal point, and a text that is not wholly a number gives nothing.
std::optional<double> ParseNumber(std::string_view text);

}  // namespace vornik
