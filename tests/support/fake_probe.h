#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "dialer/link_probe.h"

namespace vornik::testing {

// A link probe that pings nothing: the test sees each request and answers it.
class FakeProbe : public LinkProbe {
  public:
    void PingHost(const std::string& host, std::function<void(PingOutcome)> done) override {
        pingedHosts.push_back(host);
        pending.push_back(std::move(done));
    }
    void SendKeepAlive(const std::string& host) override { keepAliveHosts.push_back(host); }

    bool Answer(PingOutcome outcome) {
        if (pending.empty()) {
            return false;
        }
        auto done = std::move(pending.front());
        pending.erase(pending.begin());
        done(outcome);
        return true;
    }

    std::vector<std::string> pingedHosts;
    std::vector<std::function<void(PingOutcome)>> pending;
    std::vector<std::string> keepAliveHosts;
};

}  // namespace vornik::testing
