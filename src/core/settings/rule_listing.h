// The rules in force, as `vornik rules show` lists them: the settings of the
// entry "global" and the discount windows and holidays the fee engine reads.
#pragma once

#include <string>
#include <vector>

#include "settings/discount_table.h"
#include "settings/holiday_table.h"

namespace vornik {

class Dbio;

struct ConfigRow {
    std::string group;
    std::string key;
    std::string value;
};

struct RuleListing {
    std::vector<ConfigRow> config;  // by group, then key
    std::vector<DiscountTimeRow> windows;
    std::vector<HolidayRow> holidays;
};

RuleListing ListRules(Dbio& db);

// The listing as text for a terminal, one row a line under a heading per table.
std::string RuleListingText(const RuleListing& listing);

}  // namespace vornik
