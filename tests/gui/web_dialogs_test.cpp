// The quick search and the about box, each on its own with the opened addresses
// recorded.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include "web/about_dialog.h"
#include "web/search_dialog.h"

namespace vornik::gui {
namespace {

class WebDialogsTest : public ::testing::Test {
  protected:
    std::function<bool(const QUrl&)> Recorder() {
        return [this](const QUrl& url) {
            opened_.push_back(url);
            return true;
        };
    }
    std::vector<QUrl> opened_;
};

TEST_F(WebDialogsTest, EnterMovesOnAndOnlyTheButtonSearches) {
    // A search closes the dialog, which then deletes itself.
    QPointer<SearchDialog> dialog = new SearchDialog(Recorder(), nullptr);
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("快速搜索"));
    EXPECT_TRUE(dialog->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(dialog->SiteList()->currentText(), QStringLiteral("Google"));
    EXPECT_EQ(dialog->SiteList()->count(), 6);

    dialog->SiteList()->setFocus();
    QTest::keyClick(dialog->SiteList(), Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), dialog->KeyWord());
    // Qt's key simulation knows only ASCII keys: the Chinese is typed as an input
    // method would commit it.
    QTest::keyClicks(dialog->KeyWord(), QStringLiteral("a b&c "));
    dialog->KeyWord()->insert(QStringLiteral("拨号"));
    QTest::keyClick(dialog->KeyWord(), Qt::Key_Enter);
    EXPECT_EQ(QApplication::focusWidget(), dialog->SearchButton());
    EXPECT_TRUE(opened_.empty());
    EXPECT_TRUE(dialog->isVisible());

    dialog->SiteList()->setCurrentText(QStringLiteral("百度"));
    dialog->SearchButton()->click();
    ASSERT_EQ(opened_.size(), 1u);
    EXPECT_EQ(opened_[0].toEncoded(),
              "https://www.baidu.com/baidu?word=a%20b%26c%20%E6%8B%A8%E5%8F%B7&cl=3");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(dialog.isNull());
}

TEST_F(WebDialogsTest, TheAboutBoxOpensItsLinksThroughTheShell) {
    const QUrl home(QStringLiteral("file:///usr/share/vornik/manual/index.html"));
    AboutDialog dialog({QPixmap(8, 8), home, QStringLiteral("a@b.example")}, Recorder(), nullptr);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("关于"));
    const auto* title = dialog.findChild<QLabel*>(QStringLiteral("Label1"));
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->text(), QStringLiteral("Vornik全免费版"));
    EXPECT_TRUE(dialog.HomePageLink()->text().contains(home.toString()));

    emit dialog.HomePageLink()->linkActivated(home.toString());
    emit dialog.MailLink()->linkActivated(QStringLiteral("mailto:a@b.example"));
    ASSERT_EQ(opened_.size(), 2u);
    EXPECT_EQ(opened_[0], home);
    EXPECT_EQ(opened_[1], QUrl(QStringLiteral("mailto:a@b.example")));
}

}  // namespace
}  // namespace vornik::gui
