// Numbers as settings hold them: whatever ParseNumber accepts is finite, reads
// the same with blanks around it, and reads back the same from its own printing.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "base/number_text.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto number = vornik::ParseNumber(text);
    FUZZ_CHECK(vornik::ParseNumber(" \t" + std::string(text) + "\t ") == number);
    if (!number) {
        return 0;
    }
    FUZZ_CHECK(std::isfinite(*number));
    char printed[40];
    std::snprintf(printed, sizeof printed, "%.17g", *number);
    FUZZ_CHECK(vornik::ParseNumber(printed) == number);
    return 0;
}
