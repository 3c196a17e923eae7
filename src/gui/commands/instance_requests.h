// The running instance's side of `vornik status`, `dial` and `hangup`: what its
// session answers when such a command comes over the instance's socket. The
// desktop and the terminal answer alike.
#pragma once

#include <string>

#include "app/session.h"
#include "base/clock.h"

namespace vornik::gui {

// The status object of `vornik status --json` on one line: the live status and
// whether it comes from a running instance.
std::string StatusObject(const LiveFigures& figures, const Moment& now, bool running);

// To "status": the status object, or with the argument "text" the status line; "ok" once a dial or
// hang-up is under way; "error " and the reason for the person when it cannot be.
std::string AnswerInstanceRequest(Session& session, const Clock& clock, const std::string& verb,
                                  const std::string& argument);

}  // namespace vornik::gui
