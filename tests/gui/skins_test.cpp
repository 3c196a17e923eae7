// The skins' colours: readable text in every skin, and the start-up choice.
#include "app/skins.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace vornik::gui {
namespace {

TEST(SkinsTest, ContrastRatioFollowsTheLuminanceFormula) {
    EXPECT_DOUBLE_EQ(ContrastRatio(Qt::black, Qt::white), 21.0);
    EXPECT_DOUBLE_EQ(ContrastRatio(Qt::white, Qt::black), 21.0);
    EXPECT_DOUBLE_EQ(ContrastRatio(QColor(0x77, 0x77, 0x77), QColor(0x77, 0x77, 0x77)), 1.0);
    // Grey #777777 on white is the well-known border case, just under 4.5.
    EXPECT_NEAR(ContrastRatio(QColor(0x77, 0x77, 0x77), Qt::white), 4.48, 0.01);
    // Green weighs more than blue.
    EXPECT_GT(ContrastRatio(Qt::blue, Qt::white), ContrastRatio(Qt::green, Qt::white));
}

TEST(SkinsTest, EverySkinsTextIsReadableOnItsBackground) {
    const struct {
        QPalette::ColorRole text;
        QPalette::ColorRole background;
    } pairs[] = {{QPalette::WindowText, QPalette::Window},
                 {QPalette::ButtonText, QPalette::Button},
                 {QPalette::Text, QPalette::Base},
                 {QPalette::Text, QPalette::AlternateBase},
                 {QPalette::HighlightedText, QPalette::Highlight},
                 {QPalette::ToolTipText, QPalette::ToolTipBase}};
    for (const int index : {kDarkMetal, kGreenYears, kBlueFantasy}) {
        const Skin* skin = SkinAt(index);
        ASSERT_NE(skin, nullptr) << index;
        const QPalette palette = SkinPalette(skin->colours);
        for (const auto& pair : pairs) {
            EXPECT_GE(ContrastRatio(palette.color(pair.text), palette.color(pair.background)), 4.5)
                << skin->caption << " roles " << pair.text << " on " << pair.background;
        }
    }
}

TEST(SkinsTest, OnlyTheSkinsIndexesNameASkin) {
    EXPECT_EQ(SkinAt(kPlainStyle), nullptr);
    EXPECT_EQ(SkinAt(kCustomise), nullptr);
    EXPECT_STREQ(SkinAt(kDarkMetal)->caption, "黑色金属");
    EXPECT_STREQ(SkinAt(kGreenYears)->caption, "青涩年华");
    EXPECT_STREQ(SkinAt(kBlueFantasy)->caption, "蓝色畅想");
}

TEST(SkinsTest, StartSkinIsTheStoredOneOrGreenYears) {
    EXPECT_EQ(StartSkinIndex(std::nullopt), kGreenYears);
    EXPECT_EQ(StartSkinIndex(2), kDarkMetal);
    EXPECT_EQ(StartSkinIndex(6), kBlueFantasy);
    for (const double none : {0.0, 1.0, 4.0, 5.0, 8.0, 2.5, -2.0, 70000.0,
                              std::numeric_limits<double>::infinity(), std::nan("")}) {
        EXPECT_EQ(StartSkinIndex(none), kGreenYears) << none;
    }
}

}  // namespace
}  // namespace vornik::gui
