// The discount-time table as its editor and the rule file see it: the daily
// windows of the entry "global", the check of the typed factor and the three
// edits. Times are stored "HH:mm:ss", the form the fee engine reads.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "settings/table_edit.h"

namespace vornik {

class Connection;
class Dbio;

// One row as the grid shows it.
struct DiscountTimeRow {
    std::string beginTime;
    std::string endTime;
    std::string discount;
    std::int64_t id = 0;
};

// The times come from pickers, in seconds since midnight; an end before the
// begin is stored as it is, and the fee engine decides what it means.
struct DiscountTimeInput {
    int beginSecond = 0;
    int endSecond = 0;
    std::string discount;
};

struct DiscountTimeValues {
    std::string beginTime;  // HH:mm:ss
    std::string endTime;    // HH:mm:ss
    double discount = 1;
};

// The one check: the factor.
std::variant<InputProblem, DiscountTimeValues> ValidateInput(const DiscountTimeInput& input);

bool InsertDiscountTime(Connection& connection, std::string_view entryName,
                        const DiscountTimeValues& values);

// "HH:mm:ss" for seconds since midnight.
std::string TimeOfDayText(int secondOfDay);

class DiscountTimeTable {
  public:
    explicit DiscountTimeTable(Dbio& db) : db_(db) {}

    std::vector<DiscountTimeRow> Rows();
    // Refused when a window of "global" begins at the same time.
    EditResult Add(const DiscountTimeInput& input);
    EditResult Modify(std::int64_t id, const DiscountTimeInput& input);
    EditResult Delete(std::int64_t id);

  private:
    Dbio& db_;
};

}  // namespace vornik
