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

constexpr QSize kSize(16, 16);

QColor Centre(const QPixmap& picture) {
    const QImage image = picture.toImage();
    return image.pixelColor(image.width() / 2, image.height() / 2);
}

std::string BuiltInSound(const QString& name) {
    QFile file(":/sound/" + name + ".wav");
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

TEST(ResourceLocator, PicturesComeFromTheProgramFolderThenShareThenBuiltIn) {
    const ResourceLocator builtIn(QString{});
    std::vector<QString> names = {"app", "dial", "hangup", "float_background"};
    for (LinkIcons icons : {LinkIcons::kConnected, LinkIcons::kDisconnected, LinkIcons::kIdle}) {
        const auto link = vornik::gui::LinkIconNamesFor(icons);
        names.insert(names.end(),
                     {link.trayIcon, link.statusPicture, link.downArrow, link.upArrow});
    }
    for (const QString& name : names) {
        EXPECT_EQ(builtIn.Picture(name, kSize).deviceIndependentSize(), QSizeF(kSize))
            << name.toStdString();
    }

    const TempFolder program;
    const TempFolder share;
    std::vector<std::string> trace;
    const ResourceLocator locator(Folder(program), Folder(share),
                                  [&trace](const std::string& line) { trace.push_back(line); });
    EXPECT_GT(Centre(locator.Picture("down", kSize)).green(), 150);  // the built-in arrow is green
    WriteSquare(share, "icon/down.png", Qt::blue);
    EXPECT_EQ(Centre(locator.Picture("down", kSize)), QColor(Qt::blue));
    WriteSquare(program, "icon/down.ico", Qt::red);
    EXPECT_EQ(Centre(locator.Picture("down", kSize)), QColor(Qt::red));
    // An unreadable picture is passed over for the next one and reported once.
    WriteFile(program / "icon" / "down.svg", "not a picture");
    EXPECT_EQ(Centre(locator.Picture("down", kSize)), QColor(Qt::red));
    EXPECT_EQ(Centre(locator.Icon("down").pixmap(kSize)), QColor(Qt::red));
    ASSERT_EQ(trace.size(), 1u);
    EXPECT_NE(trace.front().find("down.svg"), std::string::npos);
    EXPECT_TRUE(locator.Picture("no-such-picture", kSize).isNull());
}

// QSoundEffect would wait forever for the rest of a broken wave file.
TEST(ResourceLocator, WholeWaveFilesWinOverTheBuiltInCuesAndBrokenOnesAreReportedOnce) {
    const TempFolder program;
    std::filesystem::create_directories(program / "sound");
    // Every built-in cue is whole: a copy of it in the program folder is taken.
    const ResourceLocator locator(Folder(program));
    for (Sound sound : {Sound::kConnected, Sound::kDisconnect, Sound::kTimeout, Sound::kVolumeOut,
                        Sound::kIdle}) {
        const QString name = vornik::gui::SoundName(sound);
        WriteFile(program / "sound" / (name.toStdString() + ".wav"), BuiltInSound(name));
        EXPECT_EQ(locator.SoundUrl(name),
                  QUrl::fromLocalFile(QDir(Folder(program)).filePath("sound/" + name + ".wav")));
    }
    EXPECT_TRUE(locator.SoundUrl("no-such-cue").isEmpty());

    const std::string whole = BuiltInSound("timeout");
    ASSERT_GT(whole.size(), 200u);
    for (const std::string& content : {std::string(),         // empty
                                       whole.substr(0, 40),   // cut in a chunk header
                                       whole.substr(0, 200),  // data shorter than said
                                       std::string("no wave file")}) {
        WriteFile(program / "sound" / "timeout.wav", content);
        std::vector<std::string> trace;
        const ResourceLocator fresh(Folder(program), {},
                                    [&trace](const std::string& line) { trace.push_back(line); });
        EXPECT_EQ(fresh.SoundUrl("timeout"), QUrl("qrc:/sound/timeout.wav")) << content.size();
        EXPECT_EQ(fresh.SoundUrl("timeout"), QUrl("qrc:/sound/timeout.wav")) << content.size();
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
    // Once the built-in cues have loaded and started, none of them may be reported.
    EXPECT_TRUE(QTest::qWaitFor([&player] { return player.NothingWaiting(); }));
    const bool noOutput = QMediaDevices::audioOutputs().isEmpty();
    EXPECT_EQ(trace.size(), noOutput ? 1u : 0u);
}

}  // namespace
