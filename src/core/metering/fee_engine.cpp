#include "metering/fee_engine.h"

#include "metering/pricing.h"
#include "store/dbio.h"

namespace vornik {

void FeeEngine::StartCallFee(const TimeRules& rules, const std::string& callEntryName,
                             const Moment& now, CallFee& fee) {
    fee.callFee = 0;
    fee.volumeFee = 0;
    const auto chargeFlatFeeToFirstCall = [&](int periodStartDay) {
        if (HasNoCallSince(callEntryName, BillingPeriodStart(periodStartDay, now))) {
            fee.callFee = FlatFee(rules);
        }
    };
    switch (static_cast<FeeType>(rules.feeType)) {
        case FeeType::kBaoshi:
        case FeeType::kLiuliang:
            chargeFlatFeeToFirstCall(rules.firstFeeDay);
            break;
        case FeeType::kBaoyue:
            chargeFlatFeeToFirstCall(rules.baoyueBeginTime);
            break;
        case FeeType::kJishi:
            break;
    }
}

bool FeeEngine::HasNoCallSince(const std::string& entryName, const Moment& since) {
    return !db_.QueryValue("SELECT 1 FROM diallog WHERE entryName = ? AND beginTime > ? LIMIT 1",
                           {entryName, MomentText(since)});
}

}  // namespace vornik
