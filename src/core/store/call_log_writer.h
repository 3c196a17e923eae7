// Writes the current call into the log: inserted at the first write after the link
// came up, then updated in place, so the log always holds a running call up to its
// last minute. The row is the one the insert made, found by its id: two calls
// begun in the same second (as when the clocks go back an hour) keep a row each.
#pragma once

#include <string>

#include "base/call_state.h"
#include "base/moment.h"
#include "base/result.h"

namespace vornik {

class Dbio;

class CallLogWriter {
  public:
    explicit CallLogWriter(Dbio& db) : db_(db) {}

    // `dialerConnected` and `dialerAddress` are what the dialer reports now.
    // While connected the row ends at `now` (callEndTime keeps its value on an
    // update, and is set to now on an insert); once down it ends at callEndTime.
    // The address placeholder is replaced when the dialer now has one. A row that
    // is no longer there (the log was replaced meanwhile) is written anew.
    // The call's marks go with its row when they changed; a row written while
    // the link is up carries the mark that it is unfinished, until the row is
    // closed.
    Result<> SaveDialLog(CurrentCall& call, double callFee, bool dialerConnected,
                         const std::string& dialerAddress, const Moment& now);

    // At start-up no call of this program is running: a row still unfinished
    // stopped early (the program was killed, or the machine went down). Its end
    // is the last minute written.
    void MarkUnfinishedAsTruncated();

  private:
    Dbio& db_;
};

}  // namespace vornik
