// The holiday table as its editor and the rule file see it: the rows of the
// entry "global", the checks of typed values and the three edits. Every value is
// a bound parameter, so a name with quotes is stored as typed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "base/moment.h"
#include "settings/table_edit.h"

namespace vornik {

class Connection;
class Dbio;

// One row as the grid shows it: each value as text, and the id that addresses it.
struct HolidayRow {
    std::string name;
    std::string beginDate;
    std::string totalDays;
    std::string discount;
    std::int64_t id = 0;
};

// The edit fields as typed; the date comes from a picker.
struct HolidayInput {
    std::string name;
    Moment beginDate;
    std::string totalDays;
    std::string discount;
};

// Values that passed the checks, in the form the fee engine reads.
struct HolidayValues {
    std::string name;
    std::string beginDate;  // yyyy-MM-dd
    std::int64_t totalDays = 1;
    double discount = 1;
};

// The checks in their order: days a number, days a whole number from 1 to
// 32767, a name, a discount factor. The first that fails is the answer.
std::variant<InputProblem, HolidayValues> ValidateInput(const HolidayInput& input);

// Adds one holiday row under `entryName`, on a connection that may be inside
// a transaction.
bool InsertHoliday(Connection& connection, std::string_view entryName, const HolidayValues& values);

class HolidayTable {
  public:
    explicit HolidayTable(Dbio& db) : db_(db) {}

    // The rows of "global" in the order they were added.
    std::vector<HolidayRow> Rows();
    // Refused when a holiday of the same name (letter case aside) exists.
    EditResult Add(const HolidayInput& input);
    // Renaming to a name already present is allowed; an id that addresses no
    // row changes nothing.
    EditResult Modify(std::int64_t id, const HolidayInput& input);
    EditResult Delete(std::int64_t id);

  private:
    Dbio& db_;
};

}  // namespace vornik
