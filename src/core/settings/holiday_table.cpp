#include "settings/holiday_table.h"

#include <cmath>
#include <limits>

#include "store/dbio.h"

namespace vornik {
namespace {

// A number of days that passed as a number: rounded half to even, as the field
// was always read, and at least one day.
std::optional<std::int64_t> WholeDays(double typed) {
    const double rounded = std::nearbyint(typed);
    if (rounded < 1 || rounded > std::numeric_limits<std::int16_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(rounded);
}

}  // namespace

std::variant<InputProblem, HolidayValues> ValidateInput(const HolidayInput& input) {
    const std::optional<double> days = TypedNumber(input.totalDays);
    if (!days) {
        return InputProblem{kNotANumberText, InputField::kTotalDays};
    }
    const std::optional<std::int64_t> wholeDays = WholeDays(*days);
    if (!wholeDays) {
        return InputProblem{"请输入大于0的整数。", InputField::kTotalDays};
    }
    if (input.name.empty()) {
        return InputProblem{"请输入节日名称。", InputField::kHolidayName};
    }
    if (std::optional<InputProblem> problem = CheckDiscount(input.discount)) {
        return *problem;
    }
    return HolidayValues{input.name, DateText(input.beginDate), *wholeDays,
                         *TypedNumber(input.discount)};
}

bool InsertHoliday(Connection& connection, std::string_view entryName,
                   const HolidayValues& values) {
    return connection.ExecuteSql(
        "INSERT INTO holiday (entryName, holidayName, beginTime, totalDays, discount) "
        "VALUES (?, ?, ?, ?, ?)",
        {entryName, values.name, values.beginDate, values.totalDays, values.discount});
}

std::vector<HolidayRow> HolidayTable::Rows() {
    std::vector<HolidayRow> rows;
    for (const Row& row : db_.QueryRows("SELECT holidayName, beginTime, totalDays, discount, id "
                                        "FROM holiday WHERE entryName = 'global' ORDER BY id")) {
        rows.push_back(
            {row[0].Text(), row[1].Text(), row[2].Text(), row[3].Text(), row[4].Integer()});
    }
    return rows;
}

EditResult HolidayTable::Add(const HolidayInput& input) {
    return IfValid(ValidateInput(input), [this](const HolidayValues& values) -> EditResult {
        if (db_.QueryValue("SELECT 1 FROM holiday WHERE entryName = 'global' "
                           "AND holidayName = ? COLLATE NOCASE",
                           {values.name})) {
            return {false, "该节日已经存在。", InputField::kNone};
        }
        Connection& connection = db_.Shared();
        if (!InsertHoliday(connection, "global", values)) {
            return NotSaved(connection.LastError());
        }
        return {true, {}, InputField::kNone};
    });
}

EditResult HolidayTable::Modify(std::int64_t id, const HolidayInput& input) {
    return IfValid(ValidateInput(input), [this, id](const HolidayValues& values) {
        return ChangeResult(db_.Change(
            "UPDATE holiday SET holidayName = ?, beginTime = ?, totalDays = ?, discount = ? "
            "WHERE id = ?",
            {values.name, values.beginDate, values.totalDays, values.discount, id}));
    });
}

EditResult HolidayTable::Delete(std::int64_t id) {
    return ChangeResult(db_.Change("DELETE FROM holiday WHERE id = ?", {id}));
}

}  // namespace vornik
