#include "app/skin_menu.h"

#include <QAction>
#include <QApplication>
#include <QMenu>

namespace vornik::gui {

SkinEngine::SkinEngine()
    : desktopPalette_(QApplication::palette()), desktopStyleSheet_(qApp->styleSheet()) {}

SkinEngine::~SkinEngine() {
    QApplication::setPalette(desktopPalette_);
    qApp->setStyleSheet(desktopStyleSheet_);
}

void SkinEngine::SelectNewSkin(int index) {
    current_ = SkinAt(index);
}

void SkinEngine::ApplySkinColours() const {
    if (current_ == nullptr) {
        QApplication::setPalette(desktopPalette_);
        qApp->setStyleSheet(desktopStyleSheet_);
        return;
    }
    QApplication::setPalette(SkinPalette(current_->colours));
    qApp->setStyleSheet(desktopStyleSheet_ + SkinStyleSheet(current_->colours));
}

SkinMenu::SkinMenu(QMenu* menu, SkinHooks hooks) : QObject(menu), hooks_(std::move(hooks)) {
    // The plain style is shown, so that the desktop's own look can be had back.
    AddItem(menu, kPlainStyle, tr("系统风格"));
    menu->addSeparator();
    for (const int index : {kDarkMetal, kGreenYears, kBlueFantasy}) {
        AddItem(menu, index, tr(SkinAt(index)->caption));
    }
    // Customising has nothing to offer: the element keeps its rules but is not
    // shown.
    AddItem(menu, kCustomise, tr("定制..."));
    items_.at(kCustomise)->setVisible(false);
}

void SkinMenu::AddItem(QMenu* menu, int index, const QString& caption) {
    QAction* item = menu->addAction(caption);
    item->setObjectName(QStringLiteral("mnuView_%1").arg(index));
    item->setCheckable(true);
    connect(item, &QAction::triggered, this, [this, index] { Choose(index); });
    items_[index] = item;
}

void SkinMenu::Mark(int index) {
    for (const auto& [itemIndex, item] : items_) {
        item->setChecked(itemIndex == index);
    }
    items_.at(kCustomise)->setEnabled(index != kPlainStyle);
}

void SkinMenu::Choose(int index) {
    Mark(index);
    if (index == kPlainStyle) {
        engine_.DropSkin();
    } else if (SkinAt(index) != nullptr) {
        engine_.SelectNewSkin(index);
    } else {
        return;
    }
    engine_.ApplySkinColours();
    hooks_.applied(engine_.SkinConfiguration());
    if (index != kPlainStyle) {
        hooks_.store(index);
    }
}

}  // namespace vornik::gui
