// vornik log remove-old|compact|backup|restore|export|import run as a script
// runs them, alone and beside a running instance that has a call up.
#include <gtest/gtest.h>

#include "program_folder_fixture.h"
#include "store/dbio.h"

namespace vornik::testing {
namespace {

constexpr auto kBound = 30s;

Finished Vornik(const ProgramFolderFixture& folder, std::vector<std::string> args) {
    return RunVornik(folder.Root(), folder.Scratch(), std::move(args));
}

// The first fee day being 21, calls of the entry that ended before 2006-02-21
// are three months old on any day of May 2006; today is much later.
void RecordCalls(ProgramFolderFixture& folder) {
    folder.SaveSettings({{keys::kLastEntry, kEntry}});
    const ErrorLog log(folder.Scratch() / "test-error.log");
    Dbio db(folder.Root() / "db" / "diallog.db", log);
    db.OpenDatabase();
    for (const char* begin :
         {"2006-02-20 10:00:00", "2006-05-01 08:00:00", "2006-05-02 08:00:00"}) {
        ASSERT_TRUE(db.ExecuteSql(
            "INSERT INTO diallog (beginTime, endTime, entryName, deviceType, IpAddress, BytesIn,"
            " BytesOut, fee) VALUES (?, ?, ?, 'PPPoE', '10.0.0.2', 1000, 100, 1)",
            {begin, begin, kEntry}));
    }
}

void ExpectLine(const Finished& finished, const std::string& line) {
    EXPECT_EQ(finished.code, 0) << finished.err;
    EXPECT_EQ(finished.out, line + "\n") << finished.err;
}

TEST(LogMaintenance, EachVerbAnswersOneLineAndKeepsEveryCall) {
    ProgramFolderFixture folder;
    RecordCalls(folder);
    const std::string copy = (folder.Scratch() / "copy.db").string();

    ExpectLine(Vornik(folder, {"log", "export", copy}), "exported 3 copied 0 present");
    ExpectLine(Vornik(folder, {"log", "export", copy}), "exported 0 copied 3 present");
    ExpectLine(Vornik(folder, {"log", "import", copy}), "imported 0 copied 3 present");
    const Finished again = Vornik(folder, {"log", "backup", copy});
    EXPECT_EQ(again.code, 1);
    EXPECT_NE(again.err.find("--replace"), std::string::npos) << again.err;
    ExpectLine(Vornik(folder, {"log", "backup", copy, "--replace"}), "backed-up " + copy);

    ExpectLine(Vornik(folder, {"log", "remove-old"}), "removed 3");
    EXPECT_TRUE(folder.CheckedCalls().empty());
    const Finished compacted = Vornik(folder, {"log", "compact"});
    EXPECT_EQ(compacted.code, 0) << compacted.err;
    EXPECT_EQ(compacted.out.rfind("compacted ", 0), 0u) << compacted.out;

    WriteFile(folder.Scratch() / "plain.db", "SQLite format 3, or not");
    const Finished plain = Vornik(folder, {"log", "restore", "plain.db"});
    EXPECT_EQ(plain.code, 1);
    EXPECT_NE(plain.err.find("不是有效的数据库文件。"), std::string::npos) << plain.err;
    ExpectLine(Vornik(folder, {"log", "restore", copy}), "restored " + copy);
    EXPECT_EQ(folder.CheckedCalls().size(), 3u);
    EXPECT_EQ(Vornik(folder, {"log", "shrink"}).code, 2);
}

TEST(LogMaintenance, ARunningInstanceCompactsAndRestoresItselfKeepingItsCall) {
    ProgramFolderFixture folder;
    RecordCalls(folder);
    folder.PrepareAutoDial(1);
    const std::string copy = (folder.Scratch() / "copy.db").string();
    ExpectLine(Vornik(folder, {"log", "backup", copy}), "backed-up " + copy);

    ChildProcess running(VornikExecutable(), folder.Headless(), folder.Scratch());
    ASSERT_TRUE(running.WaitForOutput("拨号状态：连接已建立", kBound)) << running.Describe();
    const Finished refused = Vornik(folder, {"log", "compact"});
    EXPECT_EQ(refused.code, 1);
    EXPECT_NE(refused.err.find("请在断开连接的时候压缩记录文件！"), std::string::npos)
        << refused.err;

    ExpectLine(Vornik(folder, {"log", "restore", copy}), "restored " + copy);
    running.Signal(SIGTERM);
    ASSERT_TRUE(running.WaitForExit(kBound).has_value());
    // The three calls of the backup and the call that was up during the restore.
    EXPECT_EQ(folder.CheckedCalls().size(), 4u);
}

}  // namespace
}  // namespace vornik::testing
