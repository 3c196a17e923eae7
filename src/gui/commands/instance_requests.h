// The running instance's side of `vornik status`, `dial` and `hangup`: what its
// session answers when such a command comes over the instance's socket. The
// desktop and the terminal answer alike.
#pragma once

#include <functional>
#include <string>

#include "app/session.h"
#include "base/clock.h"

namespace vornik::gui {

// The status object of `vornik status --json` on one line: the live status and
// whether it comes from a running instance.
std::string StatusObject(const LiveFigures& figures, const Moment& now, bool running);

class LogJobRunner;

// What answers a request: the running instance's session and its log jobs.
struct InstanceParts {
    Session& session;
    LogJobRunner& logJobs;
    const Clock& clock;
};

// To "status": the status object, or with the argument "text" the status line; "ok" once a dial or
// hang-up is under way; to "log-compact" and "log-restore FILE" the outcome line
// of `vornik log` once the job ended; "error " and the reason for the person
// when it cannot be.
void AnswerInstanceRequest(const InstanceParts& parts, const std::string& verb,
                           const std::string& argument,
                           const std::function<void(const std::string&)>& reply);

}  // namespace vornik::gui
