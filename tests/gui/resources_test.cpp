#include "app/resource_locator.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTest>
#include <string>
#include <vector>

#include "app/sound_player.h"
#include "support/temp_folder.h"

namespace {

using vornik::LinkIcons;
using vornik::Sound;
using vornik::gui::ResourceLocator;
using vornik::testing::TempFolder;
using vornik::testing::WriteFile;

QString Folder(const TempFolder& folder) { return QString::fromStdString(folder.Path().string()); }

void WriteSquare(const TempFolder& folder, const QString& file, QColor colour) {
    QDir(Folder(folder)).mkpath(QFileInfo(file).path());
    QImage image(8, 8, QImage::Format_ARGB32);
    image.fill(colour);
    ASSERT_TRUE(image.save(QDir(Folder(folder)).filePath(file)));
}

QColor CentreColour(const QPixmap& picture) {
    const QImage image = picture.toImage();
    return image.pixelColor(image.width() / 2, image.height() / 2);
}

std::vector<QString> AllIconNames() {
    std::vector<QString> names = {"app", "dial", "hangup", "float_background"};
    for (LinkIcons icons : {LinkIcons::kConnected, LinkIcons::kDisconnected, LinkIcons::kIdle}) {
        const auto link = vornik::gui::LinkIconNamesFor(icons);
        names.insert(names.end(), {link.trayIcon, link.statusPicture, link.downArrow, link.upArrow});
    }
    return names;
}

TEST(BuiltInResources, EveryIconLoads) {
    const ResourceLocator locator(QString{});
    for (const QString& name : AllIconNames()) {
        const QIcon icon = locator.Icon(name);
        EXPECT_FALSE(icon.isNull()) << name.toStdString();
        EXPECT_FALSE(icon.pixmap(QSize(32, 32)).isNull()) << name.toStdString();
        const QPixmap picture = locator.Picture(name, QSize(16, 16));
        ASSERT_FALSE(picture.isNull()) << name.toStdString();
        EXPECT_EQ(picture.deviceIndependentSize().toSize(), QSize(16, 16));
    }
}

TEST(BuiltInResources, EverySoundIsAWaveFile) {
    const ResourceLocator locator(QString{});
    for (Sound sound : {Sound::kConnected, Sound::kDisconnect, Sound::kTimeout, Sound::kVolumeOut,
                        Sound::kIdle}) {
        const QString name = vornik::gui::SoundName(sound);
        const QUrl url = locator.SoundUrl(name);
        EXPECT_EQ(url, QUrl("qrc:/sound/" + name + ".wav"));
        QFile file(":/sound/" + name + ".wav");
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        const QByteArray content = file.readAll();
        EXPECT_GT(content.size(), 44) << name.toStdString();
        EXPECT_TRUE(content.startsWith("RIFF")) << name.toStdString();
        EXPECT_EQ(content.mid(8, 4), "WAVE") << name.toStdString();
    }
}

TEST(ResourceLocator, ProgramFolderWinsOverShareFolderWinsOverBuiltIn) {
    const TempFolder program;
    const TempFolder share;
    const ResourceLocator locator(Folder(program), Folder(share));
    // The built-in download arrow is green.
    EXPECT_GT(CentreColour(locator.Picture("down", QSize(16, 16))).green(), 150);
    WriteSquare(share, "icon/down.png", Qt::blue);
    EXPECT_EQ(CentreColour(locator.Picture("down", QSize(16, 16))), QColor(Qt::blue));
    WriteSquare(program, "icon/down.ico", Qt::red);
    EXPECT_EQ(CentreColour(locator.Picture("down", QSize(16, 16))), QColor(Qt::red));
    EXPECT_EQ(CentreColour(locator.Icon("down").pixmap(QSize(16, 16))), QColor(Qt::red));
}

TEST(ResourceLocator, UnreadablePictureFallsBackToTheNextSource) {
    const TempFolder program;
    std::filesystem::create_directories(program / "icon");
    WriteFile(program / "icon" / "up.svg", "not a picture");
    const ResourceLocator locator(Folder(program));
    const ResourceLocator builtIn(QString{});
    EXPECT_EQ(locator.Picture("up", QSize(16, 16)).toImage(),
              builtIn.Picture("up", QSize(16, 16)).toImage());
    EXPECT_FALSE(locator.Icon("up").isNull());
    EXPECT_TRUE(locator.Picture("no-such-picture", QSize(16, 16)).isNull());
    EXPECT_TRUE(locator.Icon("no-such-picture").isNull());
}

TEST(ResourceLocator, SoundFromTheProgramFolderThenBuiltIn) {
    const TempFolder program;
    const ResourceLocator locator(Folder(program));
    EXPECT_EQ(locator.SoundUrl("idle"), QUrl("qrc:/sound/idle.wav"));
    std::filesystem::create_directories(program / "sound");
    WriteFile(program / "sound" / "idle.wav", "RIFF");
    EXPECT_EQ(locator.SoundUrl("idle"),
              QUrl::fromLocalFile(QDir(Folder(program)).filePath("sound/idle.wav")));
    EXPECT_TRUE(locator.SoundUrl("no-such-cue").isEmpty());
}

TEST(SoundPlayer, UnplayableCueIsReportedOnce) {
    const TempFolder program;
    std::filesystem::create_directories(program / "sound");
    WriteFile(program / "sound" / "timeout.wav", "this is no wave file");
    const ResourceLocator locator(Folder(program));
    std::vector<std::string> trace;
    vornik::gui::SoundPlayer player(locator,
                                    [&trace](const std::string& line) { trace.push_back(line); });
    player.Play(Sound::kTimeout);
    ASSERT_TRUE(QTest::qWaitFor([&trace] { return !trace.empty(); }));
    player.Play(Sound::kTimeout);
    QTest::qWait(100);
    EXPECT_EQ(trace.size(), 1u);
}

}  // namespace
