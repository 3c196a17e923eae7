#include "app/skins.h"

#include <QCoreApplication>
#include <algorithm>
#include <array>
#include <cmath>

namespace vornik::gui {
namespace {

const std::array<Skin, 3> kSkins{{
    {kDarkMetal,
     QT_TRANSLATE_NOOP("vornik::gui::SkinMenu", "黑色金属"),
     {QColor(0x2b, 0x2d, 0x31), QColor(0xe8, 0xe6, 0xe1), QColor(0x1c, 0x1d, 0x20),
      QColor(0xee, 0xec, 0xe6), QColor(0x3d, 0x40, 0x46), QColor(0xf0, 0xee, 0xe8),
      QColor(0xc9, 0xa2, 0x27), QColor(0x14, 0x14, 0x14)}},
    {kGreenYears,
     QT_TRANSLATE_NOOP("vornik::gui::SkinMenu", "青涩年华"),
     {QColor(0xe6, 0xf2, 0xe0), QColor(0x1e, 0x3a, 0x1a), QColor(0xfb, 0xfe, 0xf8),
      QColor(0x17, 0x2d, 0x14), QColor(0xcf, 0xe6, 0xc5), QColor(0x1e, 0x3a, 0x1a),
      QColor(0x3a, 0x75, 0x2f), QColor(0xff, 0xff, 0xff)}},
    {kBlueFantasy,
     QT_TRANSLATE_NOOP("vornik::gui::SkinMenu", "蓝色畅想"),
     {QColor(0xe2, 0xeb, 0xf7), QColor(0x10, 0x2a, 0x4c), QColor(0xfa, 0xfc, 0xff),
      QColor(0x0d, 0x22, 0x3e), QColor(0xca, 0xda, 0xef), QColor(0x10, 0x2a, 0x4c),
      QColor(0x2c, 0x5a, 0x98), QColor(0xff, 0xff, 0xff)}},
}};

double Channel(double value) {
    const double c = value / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double Luminance(const QColor& colour) {
    return 0.2126 * Channel(colour.red()) + 0.7152 * Channel(colour.green()) +
           0.0722 * Channel(colour.blue());
}

// Halfway between two colours: disabled text and the alternate rows.
QColor Mix(const QColor& a, const QColor& b) {
    return QColor((a.red() + b.red()) / 2, (a.green() + b.green()) / 2, (a.blue() + b.blue()) / 2);
}

}  // namespace

const Skin* SkinAt(int index) {
    for (const Skin& skin : kSkins) {
        if (skin.index == index) {
            return &skin;
        }
    }
    return nullptr;
}

QPalette SkinPalette(const SkinColours& c) {
    QPalette palette(c.button, c.window);
    palette.setColor(QPalette::WindowText, c.text);
    palette.setColor(QPalette::Base, c.base);
    palette.setColor(QPalette::AlternateBase, Mix(c.base, c.window));
    palette.setColor(QPalette::Text, c.baseText);
    palette.setColor(QPalette::Button, c.button);
    palette.setColor(QPalette::ButtonText, c.buttonText);
    palette.setColor(QPalette::Highlight, c.highlight);
    palette.setColor(QPalette::HighlightedText, c.highlightedText);
    palette.setColor(QPalette::ToolTipBase, c.base);
    palette.setColor(QPalette::ToolTipText, c.baseText);
    palette.setColor(QPalette::PlaceholderText, Mix(c.baseText, c.base));
    palette.setColor(QPalette::Link, c.highlight);
    for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::ButtonText}) {
        palette.setColor(QPalette::Disabled, role, Mix(c.text, c.window));
    }
    palette.setColor(QPalette::Disabled, QPalette::Text, Mix(c.baseText, c.base));
    return palette;
}

// Only what a desktop style may draw past the palette: menus, the grid's
// headers and tooltips. Nothing gives plain widgets a background, so pictures
// drawn by a window stay visible.
QString SkinStyleSheet(const SkinColours& c) {
    return QStringLiteral(
               "QMenuBar, QMenu { background-color: %1; color: %2; }"
               "QMenuBar::item:selected, QMenu::item:selected { background-color: %3; color: %4; }"
               "QMenu::item:disabled { color: %5; }"
               "QHeaderView::section { background-color: %6; color: %7; padding: 0 3px;"
               " border: 0; border-right: 1px solid %1; border-bottom: 1px solid %1; }"
               "QToolTip { background-color: %8; color: %9; border: 1px solid %3; }")
        .arg(c.window.name(), c.text.name(), c.highlight.name(), c.highlightedText.name(),
             Mix(c.text, c.window).name(), c.button.name(), c.buttonText.name(), c.base.name(),
             c.baseText.name());
}

int StartSkinIndex(std::optional<double> stored) {
    const bool whole =
        stored && *stored >= 0 && *stored <= int{kCustomise} && *stored == std::trunc(*stored);
    if (whole && SkinAt(static_cast<int>(*stored)) != nullptr) {
        return static_cast<int>(*stored);
    }
    return kGreenYears;
}

double ContrastRatio(const QColor& a, const QColor& b) {
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

}  // namespace vornik::gui
