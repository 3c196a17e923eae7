#include "maintenance/log_job_runner.h"

#include "app/session.h"
#include "store/dbio.h"

namespace vornik::gui {

LogJobRunner::LogJobRunner(Session& session, Dbio& db) : session_(session), db_(db) {}

// Whoever waited for the outcome may be gone already.
LogJobRunner::~LogJobRunner() {
    done_ = {};
    Wait();
}

bool LogJobRunner::Start(const LogJob& job, std::function<void(const LogJobOutcome&)> done) {
    if (busy_) {
        return false;
    }
    busy_ = true;
    kind_ = job.kind;
    done_ = std::move(done);
    if (WritesLog(kind_)) {
        session_.HoldLogWrites();
    }
    if (ReplacesLog(kind_)) {
        db_.CloseDatabase();
    }
    // The worker touches neither the session nor the shared connection.
    worker_ = std::thread([this, job, log = db_.DatabaseFile(), &errors = db_.Log()] {
        outcome_ = RunLogJob(job, log, errors);
        QMetaObject::invokeMethod(
            this, [this] { Finish(); }, Qt::QueuedConnection);
    });
    return true;
}

void LogJobRunner::Wait() {
    Finish();
}

// Reached twice for a job that was waited for: the queued call finds it done.
void LogJobRunner::Finish() {
    if (!worker_.joinable()) {
        return;
    }
    worker_.join();
    if (ReplacesLog(kind_)) {
        db_.OpenDatabase();
        if (!db_.IsOpen()) {
            db_.Log().Write("the log did not open again after maintenance: " + db_.OpenFailure());
        }
    }
    if (WritesLog(kind_)) {
        session_.ResumeLogWrites();
    }
    busy_ = false;
    const auto done = std::move(done_);
    done_ = {};
    if (done) {
        done(outcome_);
    }
}

}  // namespace vornik::gui
