#include "app/prompter.h"

#include <QMessageBox>

namespace vornik::gui {
namespace {

// An application-modal box shown with open(): the event loop keeps running.
void OpenBox(QWidget* parent, QMessageBox::Icon icon, const QString& text,
             QMessageBox::StandardButtons buttons, std::function<void(int)> finished) {
    auto* box = new QMessageBox(icon, kApplicationTitle, text, buttons, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    QObject::connect(box, &QMessageBox::finished, box,
                     [finished = std::move(finished)](int result) { finished(result); });
    box->open();
}

}  // namespace

void MessageBoxPrompter::ShowMessage(QWidget* parent, const QString& text,
                                     std::function<void()> closed) {
    OpenBox(parent, QMessageBox::Information, text, QMessageBox::Ok,
            [closed = std::move(closed)](int) { closed(); });
}

void MessageBoxPrompter::AskYesNo(QWidget* parent, const QString& text,
                                  std::function<void(bool)> answer) {
    OpenBox(parent, QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No,
            [answer = std::move(answer)](int result) { answer(result == QMessageBox::Yes); });
}

void MessageBoxPrompter::AskOkCancel(QWidget* parent, const QString& text,
                                     std::function<void(bool)> answer) {
    OpenBox(parent, QMessageBox::Question, text, QMessageBox::Ok | QMessageBox::Cancel,
            [answer = std::move(answer)](int result) { answer(result == QMessageBox::Ok); });
}

void MessageBoxPrompter::Warn(QWidget* parent, const QString& text) {
    QMessageBox::warning(parent, kApplicationTitle, text);
}

}  // namespace vornik::gui
