#include "commands/instance_requests.h"

#include <algorithm>
#include <vector>

#include "app/live_status.h"
#include "maintenance/log_job_runner.h"
#include "maintenance/log_maintenance.h"

namespace vornik::gui {
namespace {

std::string Status(Session& session, const Clock& clock, const std::string& form) {
    const std::string line = form == "text"
                                 ? CompactStatusLine(session.Figures(), clock.Now(), PlainNumber)
                                 : StatusObject(session.Figures(), clock.Now(), true);
    return line.substr(0, line.find_last_not_of('\n') + 1);
}

std::string Dial(Session& session, const std::string& entry) {
    if (session.LinkUp()) {
        return "error 已经连接，请先断开。";
    }
    if (!entry.empty()) {
        const std::vector<std::string> names = session.FillEntryList();
        if (std::find(names.begin(), names.end(), entry) == names.end()) {
            return "error 没有名为 " + entry + " 的连接。";
        }
        session.ChangeEntry(entry);
    }
    session.Dial();
    return "ok";
}

// The instance runs the job itself, beside its ticks, and answers when it ended.
void RunLogJob(const InstanceParts& parts, const LogJob& job,
               const std::function<void(const std::string&)>& reply) {
    if (job.kind == LogJobKind::kCompact && parts.session.LinkUp()) {
        reply(std::string("error ") + kCompactWhileConnectedText);
        return;
    }
    if (!parts.logJobs.Start(job, [reply](const LogJobOutcome& outcome) { reply(outcome.line); })) {
        reply("error 另一项拨号记录操作还没有结束，请稍后再试。");
    }
}

}  // namespace

std::string StatusObject(const LiveFigures& figures, const Moment& now, bool running) {
    JsonWriter json(0);
    json.BeginObject();
    WriteLiveStatus(json, figures, now);
    json.Key("running").Bool(running);
    json.EndObject();
    return json.Text();
}

void AnswerInstanceRequest(const InstanceParts& parts, const std::string& verb,
                           const std::string& argument,
                           const std::function<void(const std::string&)>& reply) {
    if (verb == "status") {
        reply(Status(parts.session, parts.clock, argument));
    } else if (verb == "dial") {
        reply(Dial(parts.session, argument));
    } else if (verb == "log-compact") {
        RunLogJob(parts, JobOf(LogJobKind::kCompact), reply);
    } else if (verb == "log-restore") {
        RunLogJob(parts, JobOf(LogJobKind::kRestore, argument), reply);
    } else {
        parts.session.DialDisconnect();
        reply("ok");
    }
}

}  // namespace vornik::gui
