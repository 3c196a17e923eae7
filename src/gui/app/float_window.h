// The small frameless status window that stays on top near the top of the screen:
// the connection time, the two speeds, a status picture, dial and hang-up
// pictures and its own popup menu. It holds no connection state; the shell
// writes into it and acts on its signals.
#pragma once

#include <QPixmap>
#include <QString>
#include <QWidget>
#include <string>

#include "app/resource_locator.h"
#include "app/skins.h"
#include "app/user_interface.h"

class QLabel;
class QMenu;

namespace vornik::gui {

class FloatWindow : public QWidget {
    Q_OBJECT

  public:
    // `locator` must outlive the window.
    explicit FloatWindow(const ResourceLocator& locator, QWidget* parent = nullptr);

    // Opened with popup(), never exec(): a press that opens it returns at once.
    QMenu* PopupMenu() const { return menu_; }

  public slots:
    void SetTimeLine(const QString& line);
    // Also shows the arrows and the speed labels.
    void SetSpeeds(const QString& down, const QString& up);
    void ShowLinkIcons(vornik::LinkIcons icons);
    void SetAlpha(int alpha);
    // A skin's colours replace the picture; without a skin the picture and its
    // own text colour come back.
    void ApplySkinColours(const vornik::gui::SkinColours* colours);

  signals:
    void dialRequested();
    void hangUpRequested();
    void hideRequested();
    void showMainWindowRequested();
    void toggleMainWindowRequested();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    // The labels and pictures: menus and clicks of their own, and never a drag.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Twips (1440 to the inch) to pixels at the screen's logical resolution.
    int Pixels(int twips) const;
    QLabel* AddControl(const char* name, int left, int top, int width, int height);
    QLabel* AddButtonPicture(const char* name, const QString& picture, const QString& tip, int left,
                             int top, int width, int height);
    void SetPicture(QLabel* label, const QString& name);
    void FitFonts();
    void BuildMenu();
    void PlaceTopCentre();
    void OpenMenu(const QPoint& globalPosition);
    // True when the press or release on `control` was handled here.
    bool HandleButtonPicture(QLabel* control, QEvent* event);

    const ResourceLocator& locator_;
    QPixmap background_;
    bool skinned_ = false;
    QMenu* menu_ = nullptr;
    QLabel* dialPicture_ = nullptr;
    QLabel* timeLabel_ = nullptr;
    QLabel* statusPicture_ = nullptr;
    QLabel* hangUpPicture_ = nullptr;
    QLabel* downArrow_ = nullptr;
    QLabel* downSpeed_ = nullptr;
    QLabel* upArrow_ = nullptr;
    QLabel* upSpeed_ = nullptr;
    QLabel* pressedPicture_ = nullptr;
};

}  // namespace vornik::gui
