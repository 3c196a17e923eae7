// The ping classifier on any output: a probe that did not run is never "up", a
// ping that exited 0 always is, the letter case of the output does not matter,
// and a resolver complaint anywhere in a failed ping means an unknown host.
#include <cctype>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "dialer/link_probe.h"
#include "fuzz_check.h"

using vornik::ClassifyPingOutput;
using vornik::PingOutcome;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1 + sizeof(int)) {
        return 0;
    }
    const bool exited = (data[0] & 1) != 0;
    int status = 0;
    std::memcpy(&status, data + 1, sizeof status);
    const std::string output(reinterpret_cast<const char*>(data) + 1 + sizeof status,
                             size - 1 - sizeof status);

    const PingOutcome outcome = ClassifyPingOutput(exited, status, output);
    if (!exited) {
        FUZZ_CHECK(outcome == PingOutcome::kNoReply);
        return 0;
    }
    if (status == 0) {
        FUZZ_CHECK(outcome == PingOutcome::kUp);
        return 0;
    }
    std::string upper = output;
    for (char& c : upper) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    FUZZ_CHECK(ClassifyPingOutput(exited, status, upper) == outcome);
    FUZZ_CHECK(
        ClassifyPingOutput(exited, status, output + "\nping: x: Name or service not known\n") ==
        PingOutcome::kUnknownHost);
    if (status == 1 && outcome != PingOutcome::kUnknownHost) {
        FUZZ_CHECK(outcome == PingOutcome::kNoReply);
    }
    return 0;
}
