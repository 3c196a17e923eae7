#include "web/about_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/centre_on_screen.h"
#include "web/web_pages.h"

namespace vornik::gui {

AboutDialog::AboutDialog(const AboutFacts& facts, OpenUrl openUrl, QWidget* parent)
    : QDialog(parent), openUrl_(std::move(openUrl)) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(tr("关于"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("programPicture"));
    picture->setPixmap(facts.picture);
    auto* title = new QLabel(tr("Vornik全免费版"), this);
    title->setObjectName(QStringLiteral("Label1"));
    QFont large = title->font();
    large.setBold(true);
    // A font given in pixels has no point size to scale.
    if (large.pointSizeF() > 0) {
        large.setPointSizeF(large.pointSizeF() * 1.5);
    }
    title->setFont(large);

    auto* texts = new QVBoxLayout;
    texts->addWidget(title);
    texts->addWidget(new QLabel(tr("版本 ") + VersionText(), this));
    texts->addWidget(new QLabel(tr("免费软件，可自由使用、复制和分发。"), this));
    auto* top = new QHBoxLayout;
    top->addWidget(picture, 0, Qt::AlignTop);
    top->addLayout(texts, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    homePageLink_ = AddLink(tr("访问软件主页:"), facts.homePage, facts.homePage.toDisplayString());
    mailLink_ =
        AddLink(tr("写信给作者："), QUrl(QStringLiteral("mailto:") + facts.mail), facts.mail);
    layout->addWidget(homePageLink_);
    layout->addWidget(mailLink_);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(tr("关闭"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

// The link is opened through the shell, so that the desktop's handler (or a
// test) decides what opening means.
QLabel* AboutDialog::AddLink(const QString& caption, const QUrl& target, const QString& shown) {
    auto* label = new QLabel(this);
    label->setTextFormat(Qt::RichText);
    label->setText(
        caption.toHtmlEscaped() +
        QStringLiteral(" <a href=\"%1\">%2</a>")
            .arg(QString::fromUtf8(target.toEncoded()).toHtmlEscaped(), shown.toHtmlEscaped()));
    label->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    label->setOpenExternalLinks(false);
    connect(label, &QLabel::linkActivated, this,
            [this, target](const QString&) { openUrl_(target); });
    return label;
}

void AboutDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CentreOnScreen(this);
    raise();
}

}  // namespace vornik::gui
