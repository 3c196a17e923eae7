// Numbers as the user's regional settings write them, for what people read.
#pragma once

#include <string>

namespace vornik::gui {

// Amounts and byte counts with the user's digit grouping and decimal sign.
std::string LocaleNumber(double value, int decimals);

}  // namespace vornik::gui
