// The English catalogue keeps up with the sources: every text the desktop
// translates has its English, and the catalogue holds no text the sources lost.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QXmlStreamReader>

#include "support/temp_folder.h"

namespace {

using vornik::testing::TempFolder;

struct Message {
    QString context;
    QString source;
    QString state;  // the translation's type: empty when finished
};

std::vector<Message> ReadCatalogue(const QString& file) {
    QFile ts(file);
    EXPECT_TRUE(ts.open(QIODevice::ReadOnly)) << file.toStdString();
    std::vector<Message> messages;
    QString context;
    QXmlStreamReader xml(&ts);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) {
            continue;
        }
        if (xml.name() == u"name") {
            context = xml.readElementText();
        } else if (xml.name() == u"message") {
            messages.push_back({context, {}, {}});
        } else if (xml.name() == u"source") {
            messages.back().source = xml.readElementText();
        } else if (xml.name() == u"translation") {
            messages.back().state = xml.attributes().value(QStringLiteral("type")).toString();
            const bool empty = xml.readElementText().isEmpty();
            if (empty && messages.back().state.isEmpty()) {
                messages.back().state = QStringLiteral("empty");
            }
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return messages;
}

// lupdate runs over the sources into a copy of the catalogue: what it finds new
// is unfinished, what the sources no longer have is vanished.
TEST(Translations, EveryTextOfTheDesktopHasItsEnglish) {
    TempFolder folder;
    const QString copy = QString::fromStdString((folder / "vornik_en.ts").string());
    ASSERT_TRUE(QFile::copy(QStringLiteral(VORNIK_TS_FILE), copy));
    QProcess lupdate;
    lupdate.start(
        QStringLiteral(VORNIK_LUPDATE),
        {QStringLiteral("-locations"), QStringLiteral("none"), QStringLiteral("-source-language"),
         QStringLiteral("zh_CN"), QStringLiteral("-target-language"), QStringLiteral("en"),
         QStringLiteral(VORNIK_TRANSLATED_SOURCES), QStringLiteral("-ts"), copy});
    ASSERT_TRUE(lupdate.waitForFinished(120000));
    ASSERT_EQ(lupdate.exitCode(), 0) << lupdate.readAllStandardError().toStdString();
    const std::vector<Message> messages = ReadCatalogue(copy);
    EXPECT_GT(messages.size(), 300u);
    for (const Message& message : messages) {
        EXPECT_TRUE(message.state.isEmpty())
            << "\"" << message.source.toStdString() << "\" (context "
            << message.context.toStdString() << ") "
            << (message.state == u"vanished" || message.state == u"obsolete"
                    ? "is no longer in the sources"
                    : "has no English")
            << ". Run `cmake --build build --target vornik_update_translations`, then give it "
               "its English in translations/vornik_en.ts (by hand or with Qt Linguist: "
               "`linguist translations/vornik_en.ts`), and drop the type=\"unfinished\" of its "
               "<translation>; a vanished text is removed by the update itself.";
    }
}

}  // namespace
