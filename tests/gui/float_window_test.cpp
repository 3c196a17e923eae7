#include "app/float_window.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <optional>
#include <string>

#include "support/temp_folder.h"

namespace {

using vornik::gui::FloatWindow;
using vornik::gui::ResourceLocator;

// Counts the presses that reach a widget itself, after its children had their go.
class PressCounter : public QObject {
  public:
    explicit PressCounter(QWidget* target) : target_(target) { target->installEventFilter(this); }
    int Count() const { return count_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == target_ && event->type() == QEvent::MouseButtonPress) {
            ++count_;
        }
        return false;
    }

  private:
    QWidget* target_;
    int count_ = 0;
};

class FloatWindowTest : public ::testing::Test {
  protected:
    FloatWindowTest()
        : locator_(QString::fromStdString(folder_.Path().string())), window_(locator_) {
        window_.show();
    }

    QLabel* Control(const char* name) {
        auto* control = window_.findChild<QLabel*>(name);
        EXPECT_NE(control, nullptr) << name;
        return control;
    }

    // Presses and releases `button` on `target`; true when the press opened the
    // menu (and it is closed again).
    bool PressOpensMenu(QWidget* target, Qt::MouseButton button) {
        QMenu* menu = window_.PopupMenu();
        QSignalSpy shown(menu, &QMenu::aboutToShow);
        QTest::mousePress(target, button, {}, target->rect().center());
        const bool opened = shown.count() == 1 && menu->isVisible();
        QTest::mouseRelease(target, button, {}, target->rect().center());
        menu->hide();
        return opened;
    }

    // A point of the window that no control covers.
    QPoint Background() {
        const QPoint point(window_.width() / 2, 1);
        EXPECT_EQ(window_.childAt(point), nullptr);
        return point;
    }

    vornik::testing::TempFolder folder_;
    ResourceLocator locator_;
    FloatWindow window_;
};

TEST(FloatWindowAlpha, StoredSettingGivesOpacity) {
    EXPECT_EQ(FloatWindow::AlphaFromSetting(std::nullopt), 150);
    EXPECT_EQ(FloatWindow::AlphaFromSetting(""), 150);
    EXPECT_EQ(FloatWindow::AlphaFromSetting("0"), 150);
    EXPECT_EQ(FloatWindow::AlphaFromSetting("abc"), 150);
    EXPECT_EQ(FloatWindow::AlphaFromSetting("12x"), 150);
    EXPECT_EQ(FloatWindow::AlphaFromSetting("-20"), 150);
    EXPECT_EQ(FloatWindow::AlphaFromSetting("200"), 200);
    EXPECT_EQ(FloatWindow::AlphaFromSetting("255"), 255);
    EXPECT_EQ(FloatWindow::AlphaFromSetting("300"), 255);
    EXPECT_EQ(FloatWindow::AlphaFromSetting("99999999999999999999999"), 255);
}

TEST_F(FloatWindowTest, OpacityFollowsAlpha) {
    EXPECT_NEAR(window_.windowOpacity(), 150 / 255.0, 1e-3);
    window_.SetAlpha(FloatWindow::AlphaFromSetting("255"));
    EXPECT_DOUBLE_EQ(window_.windowOpacity(), 1.0);
    window_.SetAlpha(FloatWindow::AlphaFromSetting("0"));
    EXPECT_NEAR(window_.windowOpacity(), 150 / 255.0, 1e-3);
}

TEST_F(FloatWindowTest, SitsTopCentreWithTheDesignedSize) {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const double pixelsPerTwip = window_.logicalDpiX() / 1440.0;
    EXPECT_EQ(window_.width(), qRound(2550 * pixelsPerTwip));
    EXPECT_EQ(window_.height(), qRound(850 * pixelsPerTwip));
    EXPECT_EQ(window_.y(), area.top());
    EXPECT_LE(std::abs(window_.geometry().center().x() - area.center().x()), 1);
    EXPECT_TRUE(window_.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(window_.windowFlags().testFlag(Qt::FramelessWindowHint));
}

TEST_F(FloatWindowTest, MenuItemsInOrderAndTheirSignals) {
    QMenu* menu = window_.PopupMenu();
    EXPECT_EQ(menu->title(), "浮动窗口菜单");
    QStringList captions;
    for (const QAction* item : menu->actions()) {
        captions << (item->isSeparator() ? "-" : item->text());
    }
    EXPECT_EQ(captions, QStringList({"连接", "挂断", "-", "隐藏浮动窗口", "显示程序界面"}));

    QSignalSpy dial(&window_, &FloatWindow::dialRequested);
    QSignalSpy hangUp(&window_, &FloatWindow::hangUpRequested);
    QSignalSpy hide(&window_, &FloatWindow::hideRequested);
    QSignalSpy showMain(&window_, &FloatWindow::showMainWindowRequested);
    for (QAction* item : menu->actions()) {
        item->trigger();
    }
    EXPECT_EQ(dial.count(), 1);
    EXPECT_EQ(hangUp.count(), 1);
    EXPECT_EQ(hide.count(), 1);
    EXPECT_EQ(showMain.count(), 1);
}

TEST_F(FloatWindowTest, WhichPressesOpenTheMenu) {
    window_.SetSpeeds("1.0k", "0.0b");
    EXPECT_FALSE(PressOpensMenu(Control("Image1"), Qt::RightButton));
    EXPECT_FALSE(PressOpensMenu(Control("Image3"), Qt::RightButton));
    EXPECT_TRUE(PressOpensMenu(Control("downArrow"), Qt::LeftButton));
    EXPECT_TRUE(PressOpensMenu(Control("upArrow"), Qt::MiddleButton));
    for (const char* name : {"lblStatus", "lbDownSpeed", "lbUpSpeed", "Image2"}) {
        EXPECT_TRUE(PressOpensMenu(Control(name), Qt::RightButton)) << name;
        EXPECT_FALSE(PressOpensMenu(Control(name), Qt::LeftButton)) << name;
    }
    EXPECT_TRUE(PressOpensMenu(&window_, Qt::RightButton));
}

TEST_F(FloatWindowTest, PressesOnControlsNeverReachTheBackground) {
    window_.SetSpeeds("1.0k", "0.0b");
    PressCounter background(&window_);
    for (const char* name : {"Image1", "lblStatus", "Image2", "Image3", "downArrow", "lbDownSpeed",
                             "upArrow", "lbUpSpeed"}) {
        QLabel* control = Control(name);
        QTest::mouseClick(control, Qt::LeftButton, {}, control->rect().center());
        window_.PopupMenu()->hide();
    }
    EXPECT_EQ(background.Count(), 0);
    QTest::mouseClick(&window_, Qt::LeftButton, {}, Background());
    EXPECT_EQ(background.Count(), 1);
}

TEST_F(FloatWindowTest, ClicksOnThePicturesDialAndHangUp) {
    QSignalSpy dial(&window_, &FloatWindow::dialRequested);
    QSignalSpy hangUp(&window_, &FloatWindow::hangUpRequested);
    QLabel* dialPicture = Control("Image1");
    QTest::mouseClick(dialPicture, Qt::LeftButton, {}, dialPicture->rect().center());
    EXPECT_EQ(dial.count(), 1);
    EXPECT_EQ(hangUp.count(), 0);
    QTest::mouseClick(dialPicture, Qt::RightButton, {}, dialPicture->rect().center());
    EXPECT_EQ(dial.count(), 1);
    QLabel* hangUpPicture = Control("Image3");
    QTest::mouseClick(hangUpPicture, Qt::LeftButton, {}, hangUpPicture->rect().center());
    EXPECT_EQ(hangUp.count(), 1);
    EXPECT_EQ(dial.count(), 1);
    EXPECT_EQ(dialPicture->toolTip(), "点击拨号");
    EXPECT_EQ(hangUpPicture->toolTip(), "点击断开");
}

TEST_F(FloatWindowTest, DoubleClickOnTheBackgroundTogglesTheMainWindow) {
    QSignalSpy toggle(&window_, &FloatWindow::toggleMainWindowRequested);
    QTest::mouseDClick(&window_, Qt::LeftButton, {}, Background());
    EXPECT_EQ(toggle.count(), 1);
    QLabel* label = Control("lblStatus");
    QTest::mouseDClick(label, Qt::LeftButton, {}, label->rect().center());
    EXPECT_EQ(toggle.count(), 1);
}

TEST_F(FloatWindowTest, SpeedsShowTheArrowsAndLabels) {
    EXPECT_FALSE(Control("downArrow")->isVisible());
    EXPECT_FALSE(Control("lbUpSpeed")->isVisible());
    window_.SetTimeLine("本次用时:00:01:05");
    window_.SetSpeeds("12.3k", "0.0b");
    EXPECT_EQ(Control("lblStatus")->text(), "本次用时:00:01:05");
    EXPECT_EQ(Control("lbDownSpeed")->text(), "12.3k");
    EXPECT_EQ(Control("lbUpSpeed")->text(), "0.0b");
    for (const char* name : {"downArrow", "lbDownSpeed", "upArrow", "lbUpSpeed"}) {
        EXPECT_TRUE(Control(name)->isVisible()) << name;
    }
    EXPECT_EQ(Control("lbDownSpeed")->font().family(), "Arial");
}

TEST_F(FloatWindowTest, LinkIconsSwapTheStatusPictureAndArrows) {
    const auto shows = [this](const char* control, const QString& picture) {
        QLabel* label = Control(control);
        return label->pixmap().toImage() == locator_.Picture(picture, label->size()).toImage();
    };
    EXPECT_TRUE(shows("Image2", "wintitle"));
    window_.ShowLinkIcons(vornik::LinkIcons::kIdle);
    EXPECT_TRUE(shows("Image2", "wintitle5"));
    EXPECT_TRUE(shows("downArrow", "down2"));
    EXPECT_TRUE(shows("upArrow", "up2"));
    window_.ShowLinkIcons(vornik::LinkIcons::kConnected);
    EXPECT_TRUE(shows("Image2", "wintitle4"));
    EXPECT_TRUE(shows("downArrow", "down"));
    EXPECT_TRUE(shows("upArrow", "up"));
}

}  // namespace
