#include "probe/ping_probe.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTimer>
#include <utility>

namespace vornik {
namespace {

// A host that ping would read as an option, or no host at all: it cannot name a
// machine, and it must never reach ping's command line.
bool CanNameAHost(const std::string& host) {
    return !host.empty() && host.front() != '-';
}

QStringList DefaultPingCommand() {
    return {QStandardPaths::findExecutable(QStringLiteral("ping"))};
}

}  // namespace

PingProbe::PingProbe(Trace trace, QStringList pingCommand, QObject* parent)
    : QObject(parent),
      trace_(std::move(trace)),
      pingCommand_(pingCommand.isEmpty() ? DefaultPingCommand() : std::move(pingCommand)) {}

PingProbe::~PingProbe() {
    // Done by hand: a QProcess that dies with its parent reports its end while this
    // object is half destroyed, and its answer would reach a caller that is gone.
    const auto running = findChildren<QProcess*>(Qt::FindDirectChildrenOnly);
    for (QProcess* process : running) {
        disconnect(process, nullptr, this, nullptr);
        process->kill();
        process->waitForFinished();
        delete process;
    }
}

void PingProbe::PingHost(const std::string& host, std::function<void(vornik::PingOutcome)> done) {
    if (!CanNameAHost(host)) {
        QTimer::singleShot(0, this,
                           [done = std::move(done)] { done(vornik::PingOutcome::kUnknownHost); });
        return;
    }
    const QStringList arguments = {"-n", "-c", "2", "-W", "2", QString::fromStdString(host)};
    StartPing(arguments, [this, done = std::move(done)](const PingRun& run) {
        if (!run.started) {
            WriteTrace("link check: ping could not start: " + run.output);
            done(vornik::PingOutcome::kNoReply);
            return;
        }
        done(vornik::ClassifyPingOutput(run.exited, run.exitStatus, run.output));
    });
}

void PingProbe::SendKeepAlive(const std::string& host) {
    if (!CanNameAHost(host) || keepAlive_) {
        return;
    }
    const QStringList arguments = {"-n",   "-c", "1", "-s",
                                   "1024", "-W", "1", QString::fromStdString(host)};
    keepAlive_ = StartPing(arguments, [this](const PingRun& run) {
        // Asked for every idle second: one line says it, a line a second would bury
        // the log.
        if (!run.started && !keepAliveFailureTraced_) {
            keepAliveFailureTraced_ = true;
            WriteTrace("keep-alive: ping could not start: " + run.output);
        }
    });
}

QProcess* PingProbe::StartPing(const QStringList& pingArguments,
                               std::function<void(const PingRun&)> finished) {
    auto* process = new QProcess(this);
    process->setProgram(pingCommand_.front());
    process->setArguments(pingCommand_.mid(1) + pingArguments);
    // The classification reads ping's English texts.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    process->setProcessEnvironment(environment);
    process->setProcessChannelMode(QProcess::MergedChannels);

    connect(process, &QProcess::finished, this,
            [process, finished](int exitCode, QProcess::ExitStatus exitStatus) {
                PingRun run;
                run.started = true;
                run.exited = exitStatus == QProcess::NormalExit;
                run.exitStatus = exitCode;
                run.output = process->readAll().toStdString();
                process->deleteLater();
                finished(run);
            });
    // A program that never started reports no end; every other error is followed
    // by `finished`. Queued, because a program that is missing altogether is
    // reported inside start(), and the caller must get control back first.
    connect(
        process, &QProcess::errorOccurred, this,
        [process, finished](QProcess::ProcessError error) {
            if (error != QProcess::FailedToStart) {
                return;
            }
            const QString program = process->program().isEmpty()
                                        ? QStringLiteral("ping (not found on PATH)")
                                        : process->program();
            PingRun run;
            run.output = (program + QStringLiteral(": ") + process->errorString()).toStdString();
            process->deleteLater();
            finished(run);
        },
        Qt::QueuedConnection);
    QTimer::singleShot(kDeadline, process, [this, process] {
        if (process->state() == QProcess::NotRunning) {
            return;  // ended already; its answer is on the way
        }
        WriteTrace("ping did not end within " + std::to_string(kDeadline.count()) +
                   " s and was stopped: " + process->arguments().join(' ').toStdString());
        process->kill();
    });
    process->start();
    return process;
}

void PingProbe::WriteTrace(const std::string& text) const {
    if (trace_) {
        trace_(text);
    }
}

}  // namespace vornik
