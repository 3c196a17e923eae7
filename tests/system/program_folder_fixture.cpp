#include "program_folder_fixture.h"

#include <sys/wait.h>

#include <gtest/gtest.h>

#include "base/setting_keys.h"
#include "store/dbio.h"
#include "store/error_log.h"

namespace vornik::testing {

Finished RunVornik(const std::filesystem::path& root, const std::filesystem::path& scratch,
                   std::vector<std::string> args) {
    ChildOptions options;
    options.args = std::move(args);
    options.args.insert(options.args.end(), {"--root", root.string()});
    options.env = {"LC_ALL=C.UTF-8"};
    ChildProcess vornik(VornikExecutable(), options, scratch);
    const std::optional<int> status = vornik.WaitForExit(30s);
    return {status && WIFEXITED(*status) ? WEXITSTATUS(*status) : -1, vornik.Out(), vornik.Err()};
}

ProgramFolderFixture::ProgramFolderFixture() : root_(temp_ / "vornik") {
    // As after an earlier run; the log's own folders are private.
    for (const char* sub : {"db", "log"}) {
        std::filesystem::create_directories(root_ / sub);
        std::filesystem::permissions(root_ / sub, std::filesystem::perms::owner_all);
    }
}

void ProgramFolderFixture::PrepareAutoDial(int connectDelaySeconds) {
    WriteFile(root_ / "simulated-phonebook.txt",
              std::string("[") + kEntry + "]\nuser=demo\npassword=demo\ndevice=PPPoE (模拟)\n" +
                  "connect_delay=" + std::to_string(connectDelaySeconds) +
                  "\ntraffic=steady 40 8\nfail=\n");
    SaveSettings({{keys::kAutoDial, "1"}, {keys::kLastEntry, kEntry}});
}

void ProgramFolderFixture::SaveSettings(
    const std::vector<std::pair<SettingKey, std::string>>& settings) {
    const vornik::ErrorLog log(temp_ / "test-error.log");
    Dbio db(root_ / "db" / "diallog.db", log);
    db.OpenDatabase();
    ASSERT_TRUE(db.IsOpen()) << ReadFile(log.File());
    for (const auto& [key, value] : settings) {
        ASSERT_TRUE(db.SaveConfig(key, value)) << key.key;
    }
}

ChildOptions ProgramFolderFixture::Headless(std::vector<std::string> extra) const {
    ChildOptions options;
    options.args = {"--headless", "--dialer", "sim", "--root", root_.string()};
    options.args.insert(options.args.end(), extra.begin(), extra.end());
    options.env = {"LC_ALL=C.UTF-8"};
    return options;
}

std::vector<LoggedCall> ProgramFolderFixture::CheckedCalls() const {
    std::vector<LoggedCall> calls;
    const vornik::ErrorLog log(temp_ / "test-error.log");
    Dbio db(root_ / "db" / "diallog.db", log);
    db.OpenDatabase();
    EXPECT_TRUE(db.IsOpen()) << "the log does not open: " << ReadFile(log.File());
    if (!db.IsOpen()) {
        return calls;
    }
    const auto integrity = db.QueryValue("PRAGMA integrity_check");
    EXPECT_TRUE(integrity && integrity->Text() == "ok")
        << "integrity_check: " << (integrity ? integrity->Text() : "no answer");
    const Rows rows = db.QueryRows(
        "SELECT id, beginTime, endTime, entryName, deviceType, IpAddress, BytesIn, BytesOut, fee "
        "FROM diallog ORDER BY id");
    for (const Row& row : rows) {
        std::string described;
        for (const Field& field : row) {
            described += "[" + field.Text() + "]";
        }
        SCOPED_TRACE("call row " + described);
        const auto begin = ParseMoment(row[1].Text());
        const auto end = ParseMoment(row[2].Text());
        EXPECT_TRUE(begin && end) << "the row's times are not whole";
        for (int text : {3, 4, 5}) {
            EXPECT_FALSE(row[text].Text().empty()) << "field " << text << " is empty";
        }
        for (int number : {6, 7, 8}) {
            EXPECT_TRUE(row[number].Number() && *row[number].Number() >= 0)
                << "field " << number << " is not a count";
        }
        if (begin && end) {
            EXPECT_GE(SecondsBetween(*begin, *end), 0) << "the call ends before it began";
            calls.push_back({row[0].Integer(), *begin, *end});
        }
    }
    return calls;
}

std::string ProgramFolderFixture::ErrorLogText() const {
    return ReadFile(root_ / "log" / "error.log");
}

}  // namespace vornik::testing
