// The three forms a report is written in; ComposeReport picks one.
#pragma once

#include <string>

#include "base/number_text.h"
#include "reports/month_report.h"

namespace vornik {

std::string ComposeHtmlReport(const Report& report, const NumberFormat& number);
std::string ComposeCsvReport(const Report& report);
std::string ComposeJsonReport(const Report& report);

// The calendar date of a day of the report's period ("2007-01-05"): a billing
// month across the year's end holds days of two years.
Moment DateOfDay(const Period& period, const DayUsage& day);

// "2006-05"
std::string BillingMonthText(const BillingMonth& month);

}  // namespace vornik
