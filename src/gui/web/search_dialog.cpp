#include "web/search_dialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/centre_on_screen.h"
#include "app/core_text.h"
#include "base/search_address.h"

namespace vornik::gui {

SearchDialog::SearchDialog(OpenUrl openUrl, QWidget* parent)
    : QDialog(parent), openUrl_(std::move(openUrl)) {
    setObjectName(QStringLiteral("frmSearch"));
    setWindowTitle(tr("快速搜索"));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_DeleteOnClose);
    siteList_ = new QComboBox(this);
    siteList_->setObjectName(QStringLiteral("SiteList"));
    for (const std::string& site : SearchSiteNames()) {
        siteList_->addItem(CoreText(site), QString::fromStdString(site));
    }
    keyWord_ = new QLineEdit(this);
    keyWord_->setObjectName(QStringLiteral("KeyWord"));
    searchButton_ = new QPushButton(tr("搜索"), this);
    searchButton_->setObjectName(QStringLiteral("cmdSearch"));
    // Enter moves on through the fields; only the button searches.
    searchButton_->setAutoDefault(false);
    siteList_->installEventFilter(this);
    keyWord_->installEventFilter(this);
    connect(searchButton_, &QPushButton::clicked, this, &SearchDialog::Search);

    auto* fields = new QFormLayout;
    fields->addRow(tr("网站"), siteList_);
    fields->addRow(tr("关键词"), keyWord_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(searchButton_, 0, Qt::AlignRight);
    keyWord_->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('M')) * 24);
}

bool SearchDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            focusNextChild();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void SearchDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    keyWord_->selectAll();
    keyWord_->setFocus();
    CentreOnScreen(this);
}

// One search per opening: the dialog makes way for the browser.
void SearchDialog::Search() {
    const auto address = SearchAddress(siteList_->currentData().toString().toStdString(),
                                       keyWord_->text().toStdString());
    if (!address) {
        return;
    }
    openUrl_(QUrl::fromEncoded(QByteArray::fromStdString(*address), QUrl::StrictMode));
    accept();
}

}  // namespace vornik::gui
