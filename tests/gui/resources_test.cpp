#include "app/resource_locator.h"

#include <gtest/gtest.h>

#include <QAudioDevice>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMediaDevices>
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

QString Folder(const TempFolder& folder) {
    return QString::fromStdString(folder.Path().string());
}

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
        names.insert(names.end(),
                     {link.trayIcon, link.statusPicture, link.downArrow, link.upArrow});
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

TEST(ResourceLocator, UnreadablePictureFallsBackAndIsReportedOnce) {
    const TempFolder program;
    std::filesystem::create_directories(program / "icon");
    WriteFile(program / "icon" / "up.svg", "not a picture");
    std::vector<std::string> trace;
    const ResourceLocator locator(Folder(program), {},
                                  [&trace](const std::string& line) { trace.push_back(line); });
    const ResourceLocator builtIn(QString{});
    EXPECT_EQ(locator.Picture("up", QSize(16, 16)).toImage(),
              builtIn.Picture("up", QSize(16, 16)).toImage());
    EXPECT_FALSE(locator.Icon("up").isNull());
    ASSERT_EQ(trace.size(), 1u);
    EXPECT_NE(trace.front().find("up.svg"), std::string::npos);
    EXPECT_TRUE(locator.Picture("no-such-picture", QSize(16, 16)).isNull());
    EXPECT_TRUE(locator.Icon("no-such-picture").isNull());
}

std::string BuiltInSound(const QString& name) {
    QFile file(":/sound/" + name + ".wav");
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

TEST(ResourceLocator, SoundFromTheProgramFolderThenBuiltIn) {
    const TempFolder program;
    const ResourceLocator locator(Folder(program));
    EXPECT_EQ(locator.SoundUrl("idle"), QUrl("qrc:/sound/idle.wav"));
    std::filesystem::create_directories(program / "sound");
    WriteFile(program / "sound" / "idle.wav", BuiltInSound("connected"));
    EXPECT_EQ(locator.SoundUrl("idle"),
              QUrl::fromLocalFile(QDir(Folder(program)).filePath("sound/idle.wav")));
    EXPECT_TRUE(locator.SoundUrl("no-such-cue").isEmpty());
}

// The sound effect would wait forever for the rest of such a file.
TEST(ResourceLocator, BrokenWaveFilesArePassedOverAndReportedOnce) {
    const std::string whole = BuiltInSound("timeout");
    ASSERT_GT(whole.size(), 200u);
    const std::vector<std::string> broken = {
        "",                     // empty
        whole.substr(0, 11),    // cut inside the RIFF header
        whole.substr(0, 40),    // cut inside the data chunk's header
        whole.substr(0, 200),   // data shorter than it announces
        "this is no wave file"  // not a wave file at all
    };
    for (const std::string& content : broken) {
        const TempFolder program;
        std::filesystem::create_directories(program / "sound");
        WriteFile(program / "sound" / "timeout.wav", content);
        std::vector<std::string> trace;
        const ResourceLocator locator(Folder(program), {},
                                      [&trace](const std::string& line) { trace.push_back(line); });
        EXPECT_EQ(locator.SoundUrl("timeout"), QUrl("qrc:/sound/timeout.wav")) << content.size();
        EXPECT_EQ(locator.SoundUrl("timeout"), QUrl("qrc:/sound/timeout.wav")) << content.size();
        EXPECT_EQ(trace.size(), 1u) << content.size();
    }
}

TEST(SoundPlayer, MissingAudioOutputIsReportedOnce) {
    const ResourceLocator locator(QString{});
    std::vector<std::string> trace;
    vornik::gui::SoundPlayer player(locator,
                                    [&trace](const std::string& line) { trace.push_back(line); });
    player.Play(Sound::kTimeout);
    player.Play(Sound::kIdle);
    player.Play(Sound::kTimeout);
    // Give the built-in cues time to load: none of them may be reported.
    QTest::qWait(200);
    const bool noOutput = QMediaDevices::audioOutputs().isEmpty();
    EXPECT_EQ(trace.size(), noOutput ? 1u : 0u);
}

}  // namespace
