#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "metering/time_rules.h"
#include "settings/discount_table.h"
#include "settings/holiday_table.h"
#include "store/dbio.h"
#include "support/temp_folder.h"

namespace vornik {
namespace {

class TableEditTest : public ::testing::Test {
  protected:
    void SetUp() override {
        db_.OpenDatabase();
        ASSERT_TRUE(db_.IsOpen());
    }
    static HolidayInput Holiday(std::string name, std::string days = "1",
                                std::string discount = "0.5") {
        return {std::move(name), {2006, 5, 1}, std::move(days), std::move(discount)};
    }
    std::vector<std::string> Names() {
        std::vector<std::string> names;
        for (const HolidayRow& row : holidays_.Rows()) {
            names.push_back(row.name);
        }
        return names;
    }

    testing::TempFolder folder_;
    ErrorLog log_{folder_ / "log/error.log"};
    Dbio db_{folder_ / "db/diallog.db", log_};
    HolidayTable holidays_{db_};
    DiscountTimeTable windows_{db_};
};

TEST_F(TableEditTest, HolidayChecksRunInOrderAndNameTheirField) {
    struct Case {
        HolidayInput input;
        const char* message;
        InputField field;
    };
    const Case cases[] = {
        {Holiday("", "abc", "x"), "请输入数字。", InputField::kTotalDays},
        {Holiday("", "", "x"), "请输入数字。", InputField::kTotalDays},
        {Holiday("", "0", "x"), "请输入大于0的整数。", InputField::kTotalDays},
        {Holiday("", "-3", "x"), "请输入大于0的整数。", InputField::kTotalDays},
        {Holiday("", "0.5", "x"), "请输入大于0的整数。", InputField::kTotalDays},
        {Holiday("", "32768", "x"), "请输入大于0的整数。", InputField::kTotalDays},
        {Holiday("", "2", "x"), "请输入节日名称。", InputField::kHolidayName},
        {Holiday("五一", "2", "x"), "请输入数字。", InputField::kDiscount},
        {Holiday("五一", "2", " "), "请输入数字。", InputField::kDiscount},
        {Holiday("五一", "2", "11"), "请输入0到10之间的折扣。", InputField::kDiscount},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input.totalDays + "/" + c.input.name + "/" + c.input.discount);
        const EditResult added = holidays_.Add(c.input);
        EXPECT_FALSE(added.changed);
        EXPECT_EQ(added.message, c.message);
        EXPECT_EQ(added.field, c.field);
    }
    EXPECT_TRUE(holidays_.Rows().empty());
    const auto valid = ValidateInput(Holiday("五一", " 2.5 ", "0.8"));
    ASSERT_TRUE(std::holds_alternative<HolidayValues>(valid));
    EXPECT_EQ(std::get<HolidayValues>(valid).totalDays, 2);  // half to even
    EXPECT_EQ(std::get<HolidayValues>(valid).beginDate, "2006-05-01");
}

TEST_F(TableEditTest, HolidayNamesAreStoredAsTypedAndDuplicatesRefused) {
    const std::string quoted = "O'Brien's day";
    const std::string injection = "'); drop table holiday; --";
    EXPECT_TRUE(holidays_.Add(Holiday(quoted)).changed);
    EXPECT_TRUE(holidays_.Add(Holiday(injection, "3", "0.8")).changed);
    const EditResult again = holidays_.Add(Holiday("o'brien's DAY", "9"));
    EXPECT_FALSE(again.changed);
    EXPECT_EQ(again.message, "该节日已经存在。");
    EXPECT_EQ(Names(), (std::vector<std::string>{quoted, injection}));

    const std::vector<HolidayRow> rows = holidays_.Rows();
    EXPECT_EQ(rows[1].beginDate, "2006-05-01");
    EXPECT_EQ(rows[1].totalDays, "3");
    EXPECT_EQ(rows[1].discount, "0.8");
    // Nothing selected yet: id 0 addresses no row.
    EXPECT_FALSE(holidays_.Modify(0, Holiday("x")).changed);
    EXPECT_FALSE(holidays_.Delete(0).changed);
    EXPECT_EQ(Names(), (std::vector<std::string>{quoted, injection}));
    // Renaming to a name present is allowed; a deleted id changes nothing more.
    EXPECT_TRUE(holidays_.Modify(rows[1].id, Holiday(quoted, "2")).changed);
    EXPECT_TRUE(holidays_.Delete(rows[0].id).changed);
    EXPECT_FALSE(holidays_.Modify(rows[0].id, Holiday("back")).changed);
    EXPECT_EQ(Names(), std::vector<std::string>{quoted});
}

TEST_F(TableEditTest, DiscountWindowsRefuseOnlyTheSameStart) {
    EXPECT_EQ(windows_.Add({8 * 3600, 9 * 3600, "abc"}).message, "请输入数字。");
    EXPECT_TRUE(windows_.Add({22 * 3600, 6 * 3600, "0.5"}).changed);
    EXPECT_EQ(windows_.Add({22 * 3600, 23 * 3600, "0.2"}).message, "该时间已经存在。");
    EXPECT_TRUE(windows_.Add({23 * 3600, 23 * 3600 + 1800, "0.2"}).changed);  // overlaps
    const std::vector<DiscountTimeRow> rows = windows_.Rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].beginTime, "22:00:00");
    EXPECT_EQ(rows[0].endTime, "06:00:00");
    EXPECT_FALSE(windows_.Delete(0).changed);
    EXPECT_TRUE(windows_.Modify(rows[1].id, {1, 59, "0.1"}).changed);

    // What the fee engine loads is what the editor wrote.
    const DiscountTables tables = LoadDiscountTables(db_);
    ASSERT_EQ(tables.windows.size(), 2u);
    EXPECT_EQ(tables.windows[0].endSecond, 6 * 3600);
    EXPECT_EQ(tables.windows[1].beginSecond, 1);
    EXPECT_EQ(tables.windows[1].factor, 0.1);
}

}  // namespace
}  // namespace vornik
