// The window skins: each is a palette and a style sheet of our own, put on the
// whole application so that every window, open or opened later, wears it.
#pragma once

#include <QColor>
#include <QPalette>
#include <QString>
#include <optional>

namespace vornik::gui {

// The skin menu's elements by index; the stored setting holds one of these.
enum SkinIndex : int {
    kPlainStyle = 0,
    kDarkMetal = 2,
    kGreenYears = 3,
    kBlueFantasy = 6,
    kCustomise = 8,
};

struct SkinColours {
    QColor window;
    QColor text;
    QColor base;
    QColor baseText;
    QColor button;
    QColor buttonText;
    QColor highlight;
    QColor highlightedText;
};

struct Skin {
    int index;
    const char* caption;
    SkinColours colours;
};

// Nothing for an index that names no skin (the plain style among them).
const Skin* SkinAt(int index);
QPalette SkinPalette(const SkinColours& colours);
QString SkinStyleSheet(const SkinColours& colours);
// The index to start with from the stored setting: one that names no skin
// (an index of the menu that has none here, or garbage) starts the default.
int StartSkinIndex(std::optional<double> stored);
// WCAG 2 contrast ratio of two opaque colours, from 1 to 21.
double ContrastRatio(const QColor& a, const QColor& b);

}  // namespace vornik::gui
