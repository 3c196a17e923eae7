#include "settings/discount_table.h"

#include "base/moment.h"
#include "store/dbio.h"

namespace vornik {

std::string TimeOfDayText(int secondOfDay) {
    Moment m;
    m.hour = secondOfDay / 3600;
    m.minute = secondOfDay % 3600 / 60;
    m.second = secondOfDay % 60;
    return TimeOfDayText(m);
}

std::variant<InputProblem, DiscountTimeValues> ValidateInput(const DiscountTimeInput& input) {
    if (std::optional<InputProblem> problem = CheckDiscount(input.discount)) {
        return *problem;
    }
    return DiscountTimeValues{TimeOfDayText(input.beginSecond), TimeOfDayText(input.endSecond),
                              *TypedNumber(input.discount)};
}

bool InsertDiscountTime(Connection& connection, std::string_view entryName,
                        const DiscountTimeValues& values) {
    return connection.ExecuteSql(
        "INSERT INTO discounttime (entryName, beginTime, endTime, discount) VALUES (?, ?, ?, ?)",
        {entryName, values.beginTime, values.endTime, values.discount});
}

std::vector<DiscountTimeRow> DiscountTimeTable::Rows() {
    std::vector<DiscountTimeRow> rows;
    for (const Row& row : db_.QueryRows("SELECT beginTime, endTime, discount, id FROM "
                                        "discounttime WHERE entryName = 'global' ORDER BY id")) {
        rows.push_back({row[0].Text(), row[1].Text(), row[2].Text(), row[3].Integer()});
    }
    return rows;
}

EditResult DiscountTimeTable::Add(const DiscountTimeInput& input) {
    return IfValid(ValidateInput(input), [this](const DiscountTimeValues& values) -> EditResult {
        if (db_.QueryValue(
                "SELECT 1 FROM discounttime WHERE entryName = 'global' AND beginTime = ?",
                {values.beginTime})) {
            return {false, "该时间已经存在。", InputField::kNone};
        }
        Connection& connection = db_.Shared();
        if (!InsertDiscountTime(connection, "global", values)) {
            return NotSaved(connection.LastError());
        }
        return {true, {}, InputField::kNone};
    });
}

EditResult DiscountTimeTable::Modify(std::int64_t id, const DiscountTimeInput& input) {
    return IfValid(ValidateInput(input), [this, id](const DiscountTimeValues& values) {
        return ChangeResult(
            db_.Change("UPDATE discounttime SET beginTime = ?, endTime = ?, discount = ? "
                       "WHERE id = ?",
                       {values.beginTime, values.endTime, values.discount, id}));
    });
}

EditResult DiscountTimeTable::Delete(std::int64_t id) {
    return ChangeResult(db_.Change("DELETE FROM discounttime WHERE id = ?", {id}));
}

}  // namespace vornik
