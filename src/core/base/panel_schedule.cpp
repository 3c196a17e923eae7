#include "base/panel_schedule.h"

namespace vornik {

bool PanelRefreshDue(const Moment& callBegin, const Moment& now) {
    if (now < callBegin || now.second != 1) {
        return false;
    }
    const std::int64_t boundaries = (callBegin.second + SecondsBetween(callBegin, now)) / 60;
    return boundaries % 5 == 1;
}

}  // namespace vornik
