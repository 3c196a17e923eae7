#include "app/qt_translations.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTranslator>
#include <string>
#include <vector>

#include "app/prompter.h"
#include "support/temp_folder.h"

namespace {

using vornik::ErrorLog;
using vornik::gui::InstallQtTranslations;
using vornik::gui::MessageBoxPrompter;
using vornik::testing::ReadFile;
using vornik::testing::TempFolder;

// The texts of the open question's buttons, in the order asked for; the box is
// closed afterwards.
std::vector<std::string> OpenQuestionButtons(
    std::initializer_list<QMessageBox::StandardButton> buttons) {
    std::vector<std::string> texts;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(widget);
        if (box == nullptr || !box->isVisible()) {
            continue;
        }
        for (const QMessageBox::StandardButton which : buttons) {
            texts.push_back(box->button(which) ? box->button(which)->text().toStdString() : "?");
        }
        box->done(QMessageBox::Cancel);
    }
    return texts;
}

TEST(QtTranslations, QuestionsShowQtsStandardButtonsInChinese) {
    TempFolder folder;
    const ErrorLog log(folder / "log/error.log");
    QTranslator* translator = InstallQtTranslations(log);
    ASSERT_NE(translator, nullptr) << ReadFile(log.File());

    MessageBoxPrompter prompter;
    prompter.AskYesNo(nullptr, QStringLiteral("现在断开吗？"), [](bool) {});
    EXPECT_EQ(OpenQuestionButtons({QMessageBox::Yes, QMessageBox::No}),
              std::vector<std::string>({"是(&Y)", "否(&N)"}));
    prompter.AskOkCancel(nullptr, QStringLiteral("希望退出时断开连接吗？"), [](bool) {});
    EXPECT_EQ(OpenQuestionButtons({QMessageBox::Ok, QMessageBox::Cancel}),
              std::vector<std::string>({"确定", "取消"}));
    EXPECT_EQ(ReadFile(log.File()), "");

    QApplication::removeTranslator(translator);
    delete translator;
}

TEST(QtTranslations, AMissingCatalogueIsTraced) {
    TempFolder folder;
    const ErrorLog log(folder / "log/error.log");
    EXPECT_EQ(InstallQtTranslations(log, QString::fromStdString(folder.Path().string())), nullptr);
    EXPECT_NE(ReadFile(log.File()).find((folder / "qtbase_zh_CN.qm").string()), std::string::npos)
        << ReadFile(log.File());
}

}  // namespace
