// The start of a call's fee: the flat fee of the billing period goes to an
// entry's first call in the period, which only the log can tell. Everything
// after that is pure pricing (metering/pricing.h).
#pragma once

#include <string>

#include "base/call_state.h"
#include "base/moment.h"
#include "metering/time_rules.h"

namespace vornik {

class Dbio;

class FeeEngine {
  public:
    explicit FeeEngine(Dbio& db) : db_(db) {}

    // callFee = 0, or the flat fee of the billing period (Baoshi, Baoyue, Liuliang) when
    // this is the entry's first call begun after the period's start.
    void StartCallFee(const TimeRules& rules, const std::string& callEntryName, const Moment& now,
                      CallFee& fee);

    // True when the entry has no call begun after `since` (a call begun exactly
    // then does not count). A failed look-up counts as no call, so the flat fee
    // is charged rather than lost.
    bool HasNoCallSince(const std::string& entryName, const Moment& since);

  private:
    Dbio& db_;
};

}  // namespace vornik
