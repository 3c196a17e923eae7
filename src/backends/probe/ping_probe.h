// The link probe on Linux: the system's iputils ping, run without a shell and
// read when it ends, so the event loop never waits for the network.
#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <chrono>
#include <functional>
#include <string>

#include "dialer/link_probe.h"

class QProcess;

namespace vornik {

class PingProbe : public QObject, public vornik::LinkProbe {
    Q_OBJECT

  public:
    using Trace = std::function<void(const std::string&)>;

    // A ping that has not ended by then is stopped and counts as unanswered; it
    // covers a resolver that hangs, which ping's own timeouts do not.
    static constexpr std::chrono::seconds kDeadline{20};

    // `trace` receives the failures the user is spared (a ping that cannot start or
    // has to be stopped). `pingCommand` is the program and any arguments that go
    // before ping's own, e.g. {"ip", "netns", "exec", "NS", "ping"}; empty means
    // the `ping` found on PATH.
    explicit PingProbe(Trace trace = {}, QStringList pingCommand = {}, QObject* parent = nullptr);
    // Stops the pings still running; their answers are dropped.
    ~PingProbe() override;

    void PingHost(const std::string& host, std::function<void(vornik::PingOutcome)> done) override;
    // Dropped while an earlier keep-alive still runs, so that an idle link asking
    // every second cannot pile up processes.
    void SendKeepAlive(const std::string& host) override;

  private:
    struct PingRun {
        bool started = false;
        bool exited = false;  // ended on its own, not stopped or crashed
        int exitStatus = 0;
        std::string output;  // stdout and stderr together
    };

    QProcess* StartPing(const QStringList& pingArguments,
                        std::function<void(const PingRun&)> finished);
    void WriteTrace(const std::string& text) const;

    Trace trace_;
    QStringList pingCommand_;
    QPointer<QProcess> keepAlive_;
    bool keepAliveFailureTraced_ = false;
};

}  // namespace vornik
