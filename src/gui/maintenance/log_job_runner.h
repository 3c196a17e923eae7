// Runs one log maintenance job at a time on a worker thread, while the window's
// thread goes on metering. Around the job the session keeps its records (they
// are written when the job ends) and, for a job that replaces the log file, the
// shared connection is closed and opened again.
#pragma once

#include <QObject>
#include <functional>
#include <thread>

#include "maintenance/log_jobs.h"

namespace vornik {
class Dbio;
class Session;
}  // namespace vornik

namespace vornik::gui {

class LogJobRunner : public QObject {
  public:
    LogJobRunner(Session& session, Dbio& db);
    // Waits for a job that is still running.
    ~LogJobRunner() override;

    bool Busy() const { return busy_; }
    // `done` runs on this object's thread once the job ended and the session
    // has its log back. False, doing nothing, while another job runs.
    bool Start(const LogJob& job, std::function<void(const LogJobOutcome&)> done);
    // Blocks until a running job ended and has been finished.
    void Wait();

  private:
    void Finish();

    Session& session_;
    Dbio& db_;
    std::thread worker_;
    bool busy_ = false;
    LogJobKind kind_ = LogJobKind::kCompact;
    LogJobOutcome outcome_;
    std::function<void(const LogJobOutcome&)> done_;
};

}  // namespace vornik::gui
