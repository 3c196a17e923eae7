// The holiday editor driven through its controls, offscreen, with the rules
// reloaded after each change as the shell reloads them.
#include "settings/holiday_editor.h"

#include <gtest/gtest.h>

#include <QDateEdit>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include "gui/scripted_prompter.h"
#include "metering/pricing.h"
#include "metering/time_rules.h"
#include "store/dbio.h"
#include "support/temp_folder.h"

namespace vornik::gui {
namespace {

class HolidayEditorTest : public ::testing::Test {
  protected:
    void SetUp() override {
        db_.OpenDatabase();
        ASSERT_TRUE(db_.IsOpen());
        QObject::connect(&editor_, &TableEditor::tableChanged,
                         [this] { InitTimeRule(db_, rules_); });
        editor_.show();
    }
    void Type(QLineEdit* box, const QString& text) {
        box->clear();
        QTest::keyClicks(box, text);
    }
    void ClickRow(int row) {
        QTableWidget* grid = editor_.Grid();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                          grid->visualItemRect(grid->item(row, 0)).center());
    }
    QString Cell(int row, int column) { return editor_.Grid()->item(row, column)->text(); }
    std::optional<double> FactorOn(int month, int day) {
        return HolidayFactor(rules_.discounts, {2006, month, day, 12, 0, 0});
    }

    testing::TempFolder folder_;
    ErrorLog log_{folder_ / "log/error.log"};
    Dbio db_{folder_ / "db/diallog.db", log_};
    ScriptedPrompter prompter_;
    HolidayEditor editor_{db_, prompter_};
    TimeRules rules_;
};

TEST_F(HolidayEditorTest, AddClickModifyAndDeleteReachTheFeeEngine) {
    EXPECT_EQ(editor_.windowTitle(), "设置节假日");
    QTableWidget* grid = editor_.Grid();
    EXPECT_EQ(grid->rowCount(), 0);
    QStringList headers;
    for (int c = 0; c < grid->columnCount(); ++c) {
        headers << grid->horizontalHeaderItem(c)->text();
    }
    EXPECT_EQ(headers, (QStringList{"节日名称", "开始时间", "天数", "折扣", "编号"}));
    EXPECT_EQ(editor_.DaysBox()->text(), "1");
    EXPECT_EQ(editor_.DiscountBox()->text(), "0.5");

    // The days are checked before the name; the box in question is selected.
    Type(editor_.DaysBox(), "0");
    QTest::mouseClick(editor_.AddButton(), Qt::LeftButton);
    EXPECT_EQ(prompter_.asked, QStringList{"请输入大于0的整数。"});
    EXPECT_EQ(editor_.DaysBox()->selectedText(), "0");

    Type(editor_.NameBox(), "O'Brien's day");
    editor_.BeginDate()->setDate(QDate(2006, 5, 1));
    Type(editor_.DaysBox(), "3");
    QTest::mouseClick(editor_.AddButton(), Qt::LeftButton);
    ASSERT_EQ(grid->rowCount(), 1);
    EXPECT_EQ(Cell(0, 0), "O'Brien's day");
    EXPECT_EQ(Cell(0, 1), "2006-05-01");
    EXPECT_EQ(FactorOn(5, 3), 0.5);
    EXPECT_EQ(FactorOn(5, 4), std::nullopt);
    QTest::mouseClick(editor_.AddButton(), Qt::LeftButton);
    EXPECT_EQ(prompter_.asked.back(), "该节日已经存在。");
    EXPECT_EQ(grid->rowCount(), 1);

    // Nothing clicked yet: 修改 acts on id 0 and changes nothing.
    Type(editor_.DiscountBox(), "0.3");
    QTest::mouseClick(editor_.ModifyButton(), Qt::LeftButton);
    EXPECT_EQ(FactorOn(5, 3), 0.5);

    Type(editor_.NameBox(), "");
    editor_.BeginDate()->setDate(QDate(2000, 1, 1));
    ClickRow(0);
    EXPECT_EQ(editor_.NameBox()->text(), "O'Brien's day");
    EXPECT_EQ(editor_.BeginDate()->date(), QDate(2006, 5, 1));
    EXPECT_EQ(editor_.DaysBox()->text(), "3");
    EXPECT_EQ(editor_.SelectedId(), Cell(0, 4).toLongLong());
    Type(editor_.DiscountBox(), "0.3");
    Type(editor_.DaysBox(), "5");
    QTest::mouseClick(editor_.ModifyButton(), Qt::LeftButton);
    EXPECT_EQ(Cell(0, 3), "0.3");
    EXPECT_EQ(FactorOn(5, 5), 0.3);

    QTest::mouseClick(editor_.DeleteButton(), Qt::LeftButton);
    EXPECT_EQ(grid->rowCount(), 0);
    EXPECT_EQ(FactorOn(5, 3), std::nullopt);
    EXPECT_EQ(prompter_.asked.size(), 2);
}

}  // namespace
}  // namespace vornik::gui
