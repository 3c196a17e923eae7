// vornik rules export, import and show, run as a script runs them: beside a
// running Vornik or without one.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "program_folder_fixture.h"
#include "store/dbio.h"

namespace vornik::testing {
namespace {

constexpr auto kBound = 30s;

Finished Vornik(const ProgramFolderFixture& folder, std::vector<std::string> args) {
    return RunVornik(folder.Root(), folder.Scratch(), std::move(args));
}

void AddHoliday(const ProgramFolderFixture& folder, const std::string& name) {
    const vornik::ErrorLog log(folder.Scratch() / "test-error.log");
    Dbio db(folder.Root() / "db" / "diallog.db", log);
    db.OpenDatabase();
    ASSERT_TRUE(
        db.ExecuteSql("INSERT INTO holiday (holidayName, beginTime, totalDays, discount) "
                      "VALUES (?, '2006-10-01', 7, 0.5)",
                      {name}));
}

TEST(RulesCommand, ExportImportIntoAnotherFolderAndShowAsJson) {
    ProgramFolderFixture source;
    source.SaveSettings({{keys::kJishiFee, "3.6"}});
    const std::string name = "\"国庆\" \\ O'Brien's day";
    AddHoliday(source, name);
    const std::string file = (source.Scratch() / "rule.ini").string();
    const Finished exported = Vornik(source, {"rules", "export", file});
    ASSERT_EQ(exported.code, 0) << exported.err;
    EXPECT_NE(ReadFile(file).find("[Holiday]\r\n"), std::string::npos);

    ProgramFolderFixture target;
    std::filesystem::remove_all(target.Root());
    EXPECT_EQ(Vornik(target, {"rules", "show"}).code, 1);  // no log yet
    const Finished imported = Vornik(target, {"rules", "import", file});
    ASSERT_EQ(imported.code, 0) << imported.err;
    EXPECT_NE(imported.out.find("导入"), std::string::npos) << imported.out;

    const Finished shown = Vornik(target, {"rules", "show", "--json"});
    ASSERT_EQ(shown.code, 0) << shown.err;
    QJsonParseError error{};
    const QJsonObject rules =
        QJsonDocument::fromJson(QByteArray::fromStdString(shown.out), &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << shown.out;
    const QJsonArray holidays = rules["holidays"].toArray();
    ASSERT_EQ(holidays.size(), 1);
    EXPECT_EQ(holidays[0]["name"].toString().toStdString(), name);
    EXPECT_EQ(holidays[0]["days"].toDouble(), 7);
    bool feeFound = false;
    for (const QJsonValue row : rules["config"].toArray()) {
        feeFound |= row["key"] == "JishiFee" && row["value"] == "3.6";
    }
    EXPECT_TRUE(feeFound) << shown.out;
}

TEST(RulesCommand, ARunningVornikTakesImportedRulesAtOnce) {
    ProgramFolderFixture folder;
    ChildProcess running(VornikExecutable(), folder.Headless(), folder.Scratch());
    ASSERT_TRUE(running.WaitForOutput("连接:", kBound)) << running.Describe();
    const std::string file = (folder.Scratch() / "rule.ini").string();
    WriteFile(file, "[Config]\r\nglobal,Fee,JishiFee,6\r\n[Holiday]\r\n");
    const Finished imported = Vornik(folder, {"rules", "import", file});
    EXPECT_EQ(imported.code, 0) << imported.err;
    EXPECT_NE(imported.out.find("正在运行的 Vornik 已按新规则计费"), std::string::npos)
        << imported.out;
    EXPECT_TRUE(running.WaitForOutput("Vornik: 已载入新的规则", kBound)) << running.Out();
    // The instance still comes forward for a second start.
    ChildProcess second(VornikExecutable(), folder.Headless(), folder.Scratch());
    EXPECT_TRUE(second.WaitForExit(kBound).has_value());
    EXPECT_NE((second.Out() + second.Err()).find("已在运行"), std::string::npos) << second.Err();
    running.Signal(SIGTERM);
    EXPECT_TRUE(running.WaitForExit(kBound).has_value());
}

}  // namespace
}  // namespace vornik::testing
