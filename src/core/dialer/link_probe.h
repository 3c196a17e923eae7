// The link probe: echo requests to a test host, answered later so that nothing
// waits on the network.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace vornik {

enum class PingOutcome {
    kUnknownHost,  // the name does not resolve
    kNoReply,      // both echoes failed (or the probe could not run)
    kUp            // an echo came back, or the output could not be classified
};

class LinkProbe {
  public:
    virtual ~LinkProbe() = default;
    // Two echo requests to `host`; `done` runs later, on the thread that drives
    // the session.
    virtual void PingHost(const std::string& host, std::function<void(PingOutcome)> done) = 0;
    // One echo request with a 1024-byte payload, to keep an idle link busy; no one
    // waits for its answer.
    virtual void SendKeepAlive(const std::string& host) = 0;
};

// What the output and exit status of iputils ping (run with LC_ALL=C) say about
// the link. `exited` is false when the program could not run or was killed.
PingOutcome ClassifyPingOutput(bool exited, int exitStatus, std::string_view output);

}  // namespace vornik
