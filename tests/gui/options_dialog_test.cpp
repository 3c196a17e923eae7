// The options dialog driven through its controls, offscreen, on a real log.
#include "settings/options_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include "gui/scripted_prompter.h"
#include "store/dbio.h"
#include "store/password_hash.h"
#include "store/settings_store.h"
#include "support/temp_folder.h"

namespace vornik::gui {
namespace {

using namespace keys;

class OptionsDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        db_.OpenDatabase();
        ASSERT_TRUE(db_.IsOpen());
    }
    void TearDown() override { delete dialog_.data(); }

    void Open() {
        dialog_ = new OptionsDialog(
            settings_, prompter_,
            {.rulesSaved = [this] { ++reloads_; },
             .showFloatWindow = [this](bool shown) { floatShown_.push_back(shown); },
             .setOpacity = [this](int alpha) { opacities_.push_back(alpha); },
             .loginStartOptions = {}});
        dialog_->show();
    }
    template <typename T>
    T* Control(const char* name) {
        T* control = dialog_->findChild<T*>(QString::fromUtf8(name));
        EXPECT_NE(control, nullptr) << name;
        return control;
    }
    QLineEdit* Box(const char* name) { return Control<QLineEdit>(name); }
    void Click(const char* name) {
        QTest::mouseClick(Control<QAbstractButton>(name), Qt::LeftButton);
    }
    bool Closed() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return dialog_.isNull();
    }

    testing::TempFolder folder_;
    ErrorLog log_{folder_ / "log/error.log"};
    Dbio db_{folder_ / "db/diallog.db", log_};
    SettingsStore settings_{db_};
    ScriptedPrompter prompter_;
    QPointer<OptionsDialog> dialog_;
    int reloads_ = 0;
    std::vector<bool> floatShown_;
    std::vector<int> opacities_;
};

TEST_F(OptionsDialogTest, SaveIsEnabledExactlyWhileThereAreUnsavedRuleEdits) {
    Open();
    EXPECT_EQ(dialog_->windowTitle(), "设置拨号规则");
    EXPECT_FALSE(dialog_->SaveButton()->isEnabled());
    // The bar took the stored opacity (none yet): the window shows it, and it is written.
    EXPECT_EQ(opacities_, std::vector<int>{150});
    EXPECT_EQ(db_.GetConfig(kAlpha), "150");

    QTest::keyClicks(Box("PhoneFee"), "5");
    EXPECT_TRUE(dialog_->SaveButton()->isEnabled());
    dialog_->SaveButton()->click();
    EXPECT_FALSE(dialog_->SaveButton()->isEnabled());
    EXPECT_EQ(db_.GetConfig(kPhoneFee), "05");
    EXPECT_EQ(reloads_, 1);
    EXPECT_TRUE(prompter_.asked.isEmpty());

    // The floating window's controls act at once and leave the rules unsaved-free.
    Click("chkShowFloatWin");
    Control<QSlider>("opacityBar")->setValue(200);
    EXPECT_EQ(floatShown_, std::vector<bool>{true});
    EXPECT_EQ(opacities_.back(), 200);
    EXPECT_EQ(db_.GetConfig(kAlpha), "200");
    EXPECT_FALSE(dialog_->SaveButton()->isEnabled());
    dialog_->CloseButton()->click();
    EXPECT_TRUE(prompter_.asked.isEmpty());
    EXPECT_TRUE(Closed());
}

TEST_F(OptionsDialogTest, ClosingAfterAnEditOffersToSaveAndClosesWhateverTheAnswer) {
    Open();
    QTest::keyClicks(Box("PhoneFee"), "5");
    prompter_.answers = {false};
    dialog_->CloseButton()->click();
    EXPECT_EQ(prompter_.asked, QStringList{"你修改了拨号规则，要保存吗？"});
    EXPECT_EQ(db_.GetConfig(kPhoneFee), "0");
    EXPECT_EQ(reloads_, 0);
    EXPECT_TRUE(Closed());

    // Yes with a box that fails: the message, nothing written, and closed all the same.
    Open();
    Box("FirstFeeDay")->setText(QStringLiteral("29"));
    QTest::keyClicks(Box("PhoneFee"), "5");
    prompter_.answers = {true};
    QTest::keyClick(dialog_, Qt::Key_Escape);
    EXPECT_EQ(prompter_.asked.mid(1),
              (QStringList{"你修改了拨号规则，要保存吗？", "请输入1-28之间的整数。"}));
    EXPECT_EQ(db_.GetConfig(kPhoneFee), "0");
    EXPECT_FALSE(db_.GetConfig(kFirstFeeDay).has_value());
    EXPECT_TRUE(Closed());
}

TEST_F(OptionsDialogTest, AFailedCheckShowsTheBoxOnItsTabAndTabsSelectTheirText) {
    Open();
    dialog_->Tabs()->setCurrentIndex(4);
    Box("JishiFee")->setText(QStringLiteral("abc"));
    Box("BaoshiFee")->setText(QStringLiteral("abc"));  // not the selected tariff
    dialog_->SaveButton()->click();
    EXPECT_EQ(prompter_.asked, QStringList{"请输入数字。"});
    EXPECT_EQ(dialog_->Tabs()->currentIndex(), 2);
    EXPECT_EQ(dialog_->focusWidget(), Box("JishiFee"));
    EXPECT_EQ(Box("JishiFee")->selectedText(), "abc");
    EXPECT_TRUE(dialog_->SaveButton()->isEnabled());
    EXPECT_EQ(db_.GetConfig(kJishiFee), "0");

    Box("JishiFee")->setText(QStringLiteral("3"));
    dialog_->SaveButton()->click();
    EXPECT_EQ(db_.GetConfig(kJishiFee), "3");
    EXPECT_FALSE(db_.GetConfig(kBaoshiFee).has_value());

    QTabBar* tabs = dialog_->Tabs()->tabBar();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(0).center());
    EXPECT_EQ(Box("FirstFeeDay")->selectedText(), "21");
}

TEST_F(OptionsDialogTest, TheTariffButtonsShowTheirFrameAlone) {
    Open();  // a new log charges by the hour
    const auto shown = [this] {
        QStringList frames;
        for (const char* frame : {"baoshiFrame", "jishiFrame", "baoyueFrame"}) {
            if (!Control<QGroupBox>(frame)->isHidden()) {
                frames << frame;
            }
        }
        return frames;
    };
    EXPECT_EQ(shown(), QStringList{"jishiFrame"});
    dialog_->Tabs()->setCurrentIndex(2);
    Click("feeTypeBaoyue");
    EXPECT_EQ(shown(), QStringList{"baoyueFrame"});
    EXPECT_TRUE(dialog_->SaveButton()->isEnabled());
    Click("feeTypeBaoshi");
    EXPECT_EQ(shown(), QStringList{"baoshiFrame"});

    QSignalSpy holidays(dialog_.data(), &OptionsDialog::holidayEditorRequested);
    QSignalSpy windows(dialog_.data(), &OptionsDialog::discountTimeEditorRequested);
    Click("BaoshiSetHoliday");
    Click("BaoshiSetDiscountTime");
    EXPECT_EQ(holidays.count(), 1);
    EXPECT_EQ(windows.count(), 1);
}

// The fourth tariff: its frame alone, its boxes checked and saved with it.
TEST_F(OptionsDialogTest, TheVolumeTariffIsChosenCheckedAndSavedWithItsFrame) {
    Open();
    dialog_->Tabs()->setCurrentIndex(2);
    Click("feeTypeLiuliang");
    EXPECT_FALSE(Control<QGroupBox>("liuliangFrame")->isHidden());
    EXPECT_TRUE(Control<QGroupBox>("jishiFrame")->isHidden());
    QTest::keyClicks(Box("LiuliangVolume"), "500");
    QTest::keyClicks(Box("LiuliangFee"), "10");
    QTest::keyClicks(Box("LiuliangMBFee"), "x");
    dialog_->SaveButton()->click();
    EXPECT_EQ(prompter_.asked, QStringList{"请输入数字。"});
    EXPECT_EQ(dialog_->focusWidget(), Box("LiuliangMBFee"));
    Box("LiuliangMBFee")->setText(QStringLiteral("0.05"));
    dialog_->SaveButton()->click();
    EXPECT_EQ(db_.GetConfig(kFeeType), "3");
    EXPECT_EQ(db_.GetConfig(kLiuliangVolume), "500");
    EXPECT_EQ(db_.GetConfig(kLiuliangFee), "10");
    EXPECT_EQ(db_.GetConfig(kLiuliangMBFee), "0.05");
}

TEST_F(OptionsDialogTest, ThePasswordIsCheckedAndSavedOnItsOwn) {
    Open();
    dialog_->Tabs()->setCurrentIndex(3);
    EXPECT_FALSE(Box("Password")->isEnabled());
    Click("PwdProtected");
    ASSERT_TRUE(Box("Password")->isEnabled());
    QTest::keyClicks(Box("Password"), "abc");
    QTest::keyClicks(Box("password2"), "abc");
    QPushButton* save = Control<QPushButton>("savePasswordButton");
    save->click();
    EXPECT_EQ(prompter_.asked, QStringList{"密码长度不能小于4位！"});
    EXPECT_FALSE(save->isEnabled());
    EXPECT_EQ(db_.GetConfig(kPwdProtected), "1");

    QTest::keyClicks(Box("Password"), "d");
    QTest::keyClicks(Box("password2"), "d");
    save->click();
    EXPECT_EQ(prompter_.asked.size(), 1);
    EXPECT_TRUE(CheckPassword("abcd", *db_.GetConfig(kPassword)));
}

}  // namespace
}  // namespace vornik::gui
