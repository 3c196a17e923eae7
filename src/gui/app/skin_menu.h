// The skin menu and the skin engine behind it. The engine remembers the
// desktop's own look, so that the plain style can give it back, and gives it
// back when it goes.
#pragma once

#include <QObject>
#include <QPalette>
#include <QString>
#include <functional>
#include <map>

#include "app/skins.h"

class QAction;
class QMenu;

namespace vornik::gui {

class SkinEngine {
  public:
    SkinEngine();
    ~SkinEngine();
    SkinEngine(const SkinEngine&) = delete;
    SkinEngine& operator=(const SkinEngine&) = delete;

    void SelectNewSkin(int index);
    void DropSkin() { current_ = nullptr; }
    // The current skin, or nothing for the plain style.
    const Skin* SkinConfiguration() const { return current_; }
    // Puts the current skin (or the desktop's look) on the whole application.
    void ApplySkinColours() const;

  private:
    QPalette desktopPalette_;
    QString desktopStyleSheet_;
    const Skin* current_ = nullptr;
};

struct SkinHooks {
    // Called with the skin now worn, or nothing for the plain style.
    std::function<void(const Skin*)> applied;
    std::function<void(int index)> store;
};

class SkinMenu : public QObject {
    Q_OBJECT
  public:
    // Fills `menu`, which must outlive this object.
    SkinMenu(QMenu* menu, SkinHooks hooks);

    // The menu command: also run by start-up with the remembered index.
    void Choose(int index);
    QAction* Item(int index) const { return items_.at(index); }
    const SkinEngine& Engine() const { return engine_; }

  private:
    void AddItem(QMenu* menu, int index, const QString& caption);
    void Mark(int index);

    SkinHooks hooks_;
    SkinEngine engine_;
    std::map<int, QAction*> items_;
};

}  // namespace vornik::gui
