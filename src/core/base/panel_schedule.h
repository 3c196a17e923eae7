// When the main window's panel shows its page again during a call.
#pragma once

#include "base/moment.h"

namespace vornik {

// At the first second of minute 1, 6, 11, ... of a call, counting the minute
// boundaries of the wall clock since `callBegin`: once every five minutes.
bool PanelRefreshDue(const Moment& callBegin, const Moment& now);

}  // namespace vornik
