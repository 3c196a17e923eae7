// The quick search: a site and the words, handed to the desktop's browser.
#pragma once

#include <QDialog>
#include <QUrl>
#include <functional>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace vornik::gui {

class SearchDialog : public QDialog {
    Q_OBJECT
  public:
    using OpenUrl = std::function<bool(const QUrl&)>;
    SearchDialog(OpenUrl openUrl, QWidget* parent);

    QComboBox* SiteList() const { return siteList_; }
    QLineEdit* KeyWord() const { return keyWord_; }
    QPushButton* SearchButton() const { return searchButton_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void Search();

    OpenUrl openUrl_;
    QComboBox* siteList_;
    QLineEdit* keyWord_;
    QPushButton* searchButton_;
};

}  // namespace vornik::gui
