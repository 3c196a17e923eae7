#include "dialer/link_probe.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace vornik {

namespace {

bool ContainsIgnoringCase(std::string_view text, std::string_view word) {
    const auto sameLetter = [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) ==
               std::tolower(static_cast<unsigned char>(b));
    };
    return std::search(text.begin(), text.end(), word.begin(), word.end(), sameLetter) !=
           text.end();
}

// The resolver's complaints as iputils prints them (gai_strerror texts, and the
// older "unknown host" of iputils before getaddrinfo).
bool SaysNameDoesNotResolve(std::string_view output) {
    constexpr std::array<std::string_view, 4> kResolverFailures = {
        "Name or service not known", "Temporary failure in name resolution", "unknown host",
        "No address associated with hostname"};
    return std::any_of(
        kResolverFailures.begin(), kResolverFailures.end(),
        [output](std::string_view failure) { return ContainsIgnoringCase(output, failure); });
}

}  // namespace

PingOutcome ClassifyPingOutput(bool exited, int exitStatus, std::string_view output) {
    // iputils exits 0 when at least one reply came back, 1 when none did, and 2 on
    // other errors; only some of those errors say anything about the link.
    if (!exited) {
        return PingOutcome::kNoReply;
    }
    if (exitStatus == 0) {
        return PingOutcome::kUp;
    }
    if (SaysNameDoesNotResolve(output)) {
        return PingOutcome::kUnknownHost;
    }
    if (exitStatus == 1 || ContainsIgnoringCase(output, "Network is unreachable")) {
        return PingOutcome::kNoReply;
    }
    // Whatever is left (a ping in another form, a permission error) says nothing
    // about the link, and a probe that cannot tell must not tear a link down.
    return PingOutcome::kUp;
}

}  // namespace vornik
