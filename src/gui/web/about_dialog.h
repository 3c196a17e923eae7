// The about box: the program's name, version, licence and picture, with links
// to the home page and to the maker's mail.
#pragma once

#include <QDialog>
#include <QPixmap>
#include <QUrl>
#include <functional>

class QLabel;

namespace vornik::gui {

struct AboutFacts {
    QPixmap picture;
    QUrl homePage;
    QString mail;
};

class AboutDialog : public QDialog {
    Q_OBJECT
  public:
    using OpenUrl = std::function<bool(const QUrl&)>;
    AboutDialog(const AboutFacts& facts, OpenUrl openUrl, QWidget* parent);

    QLabel* HomePageLink() const { return homePageLink_; }
    QLabel* MailLink() const { return mailLink_; }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    QLabel* AddLink(const QString& caption, const QUrl& target, const QString& shown);

    OpenUrl openUrl_;
    QLabel* homePageLink_ = nullptr;
    QLabel* mailLink_ = nullptr;
};

}  // namespace vornik::gui
