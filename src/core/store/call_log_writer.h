// Writes the current call into the log: inserted at the first write after the link
// came up, then updated in place (found by begin second and entry name), so the
// log always holds a running call up to its last minute.
#pragma once

#include <string>

#include "base/call_state.h"
#include "base/moment.h"

namespace vornik {

class Dbio;

class CallLogWriter {
  public:
    explicit CallLogWriter(Dbio& db) : db_(db) {}

    // `dialerConnected` and `dialerAddress` are what the dialer reports now.
    // While connected the row ends at `now` (callEndTime keeps its value on an
    // update, and is set to now on an insert); once down it ends at callEndTime.
    // The address placeholder is replaced when the dialer now has one. False when
    // the statement failed.
    bool SaveDialLog(CurrentCall& call, double callFee, bool dialerConnected,
                     const std::string& dialerAddress, const Moment& now);

  private:
    Dbio& db_;
};

}  // namespace vornik
