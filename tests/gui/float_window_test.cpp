#include "app/float_window.h"
#include "base/setting_keys.h"
#include "settings/options.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <optional>

// The shell's tests show and hide this window; these are its own rules for presses,
// clicks and its menu.
namespace {

using vornik::ReadNumber;
namespace keys = vornik::keys;
using vornik::gui::FloatWindow;
using vornik::gui::ResourceLocator;

// Counts the presses that reach the widget it filters, after its children had their go.
struct PressCounter : QObject {
    bool eventFilter(QObject*, QEvent* event) override {
        count += event->type() == QEvent::MouseButtonPress;
        return false;
    }
    int count = 0;
};

class FloatWindowTest : public ::testing::Test {
  protected:
    FloatWindowTest() { window_.show(); }

    QLabel* Control(const char* name) { return window_.findChild<QLabel*>(name); }

    // Presses and releases `button` on `target`; true when the press opened the
    // menu (and it is closed again).
    bool PressOpensMenu(QWidget* target, Qt::MouseButton button) {
        QMenu* menu = window_.PopupMenu();
        QSignalSpy shown(menu, &QMenu::aboutToShow);
        QTest::mousePress(target, button);
        const bool opened = shown.count() == 1 && menu->isVisible();
        QTest::mouseRelease(target, button);
        menu->hide();
        return opened;
    }

    ResourceLocator locator_{QString{}};
    FloatWindow window_{locator_};
};

TEST_F(FloatWindowTest, StoredAlphaSettingGivesTheOpacity) {
    const auto alpha = [](const char* stored) {
        return vornik::OpacityFromSetting(ReadNumber(keys::kAlpha, std::string(stored)));
    };
    for (const char* unset : {"", "0", "12x", "-20"}) {
        EXPECT_EQ(alpha(unset), 150) << unset;
    }
    EXPECT_EQ(vornik::OpacityFromSetting(ReadNumber(keys::kAlpha, std::nullopt)), 150);
    EXPECT_EQ(alpha("200"), 200);
    for (const char* opaque : {"255", "300", "99999999999999999999999"}) {
        EXPECT_EQ(alpha(opaque), 255) << opaque;
    }
    EXPECT_NEAR(window_.windowOpacity(), 150 / 255.0, 1e-3);
    window_.SetAlpha(255);
    EXPECT_DOUBLE_EQ(window_.windowOpacity(), 1.0);
}

TEST_F(FloatWindowTest, WhichPressesOpenTheMenuAndNoneReachesTheBackground) {
    EXPECT_FALSE(Control("downArrow")->isVisible());
    window_.SetSpeeds("1.0k", "0.0b");
    EXPECT_TRUE(Control("upArrow")->isVisible() && Control("lbUpSpeed")->isVisible());
    PressCounter background;
    window_.installEventFilter(&background);
    EXPECT_FALSE(PressOpensMenu(Control("Image1"), Qt::RightButton));
    EXPECT_FALSE(PressOpensMenu(Control("Image3"), Qt::RightButton));
    EXPECT_TRUE(PressOpensMenu(Control("downArrow"), Qt::LeftButton));
    EXPECT_TRUE(PressOpensMenu(Control("upArrow"), Qt::MiddleButton));
    for (const char* name : {"lblStatus", "lbDownSpeed", "lbUpSpeed", "Image2"}) {
        EXPECT_TRUE(PressOpensMenu(Control(name), Qt::RightButton)) << name;
        EXPECT_FALSE(PressOpensMenu(Control(name), Qt::LeftButton)) << name;
    }
    EXPECT_EQ(background.count, 0);  // a press there would drag the window
    EXPECT_TRUE(PressOpensMenu(&window_, Qt::RightButton));
    EXPECT_EQ(background.count, 1);
}

TEST_F(FloatWindowTest, ClicksDoubleClicksAndMenuItemsEmitTheirRequests) {
    QSignalSpy dial(&window_, &FloatWindow::dialRequested);
    QSignalSpy hangUp(&window_, &FloatWindow::hangUpRequested);
    QTest::mouseClick(Control("Image1"), Qt::LeftButton);
    QTest::mouseClick(Control("Image1"), Qt::RightButton);
    EXPECT_EQ(dial.count(), 1);
    EXPECT_EQ(hangUp.count(), 0);
    QTest::mouseClick(Control("Image3"), Qt::LeftButton);
    EXPECT_EQ(hangUp.count(), 1);
    EXPECT_EQ(dial.count(), 1);

    QSignalSpy hide(&window_, &FloatWindow::hideRequested);
    QSignalSpy showMain(&window_, &FloatWindow::showMainWindowRequested);
    const auto trigger = [this](const char* item) { window_.findChild<QAction*>(item)->trigger(); };
    trigger("mnuFloatWinConnect");
    EXPECT_EQ(dial.count(), 2);
    trigger("mnuFloatWinDisconnect");
    EXPECT_EQ(hangUp.count(), 2);
    trigger("mnuHideFloatWin");
    EXPECT_EQ(hide.count(), 1);
    trigger("mnuShowMainWin");
    EXPECT_EQ(showMain.count(), 1);

    // Only a double-click on the background toggles the main window.
    QSignalSpy toggle(&window_, &FloatWindow::toggleMainWindowRequested);
    const QPoint background(window_.width() / 2, 1);
    ASSERT_EQ(window_.childAt(background), nullptr);
    QTest::mouseDClick(&window_, Qt::LeftButton, {}, background);
    EXPECT_EQ(toggle.count(), 1);
    QTest::mouseDClick(Control("lblStatus"), Qt::LeftButton);
    EXPECT_EQ(toggle.count(), 1);
}

}  // namespace
