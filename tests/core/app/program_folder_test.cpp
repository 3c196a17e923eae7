#include "app/program_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base/clock.h"
#include "dialer/simulated_dialer.h"
#include "store/dbio.h"
#include "store/error_log.h"
#include "support/temp_folder.h"

namespace vornik {
namespace {

TEST(ProgramFolderTest, RootOptionThenPortableFolderThenUserDataFolder) {
    testing::TempFolder temp;
    const auto exeFolder = temp / "bin";
    std::filesystem::create_directories(exeFolder);

    ProgramFolderSources sources;
    sources.executableFolder = exeFolder;
    sources.home = "/home/ann";
    EXPECT_EQ(ResolveProgramFolder(sources).root, "/home/ann/.local/share/vornik");

    sources.xdgDataHome = "relative/data";  // not absolute: ignored
    EXPECT_EQ(ResolveProgramFolder(sources).root, "/home/ann/.local/share/vornik");
    sources.xdgDataHome = "/data/ann";
    EXPECT_EQ(ResolveProgramFolder(sources).root, "/data/ann/vornik");

    std::filesystem::create_directories(exeFolder / "db");
    EXPECT_EQ(ResolveProgramFolder(sources).root, exeFolder);

    sources.rootOption = temp / "elsewhere";
    EXPECT_EQ(ResolveProgramFolder(sources).root, temp / "elsewhere");
}

TEST(ProgramFolderTest, PreparingCreatesTheDatabaseAndLogFolders) {
    testing::TempFolder temp;
    const ProgramFolder folder{temp / "vornik"};
    std::string error;
    ASSERT_TRUE(PrepareProgramFolder(folder, error)) << error;
    EXPECT_TRUE(std::filesystem::is_directory(temp / "vornik/db"));
    EXPECT_TRUE(std::filesystem::is_directory(temp / "vornik/log"));
    EXPECT_EQ(folder.DatabaseFile(), temp / "vornik/db/diallog.db");

    testing::WriteFile(temp / "blocked", "a file, not a folder");
    EXPECT_FALSE(PrepareProgramFolder(ProgramFolder{temp / "blocked"}, error));
    EXPECT_FALSE(error.empty());
}

// The mode as `stat -c %a` shows it.
std::string ModeOf(const std::filesystem::path& path) {
    struct stat info {};
    char octal[8] = "missing";
    if (::lstat(path.c_str(), &info) == 0) {
        std::snprintf(octal, sizeof octal, "%o", info.st_mode & 07777);
    }
    return octal;
}

TEST(ProgramFolderTest, PrivateFilesAreTheOwnersAloneAfterAFirstRunAndAfterTheNextStart) {
    // The usual mask would leave everything the program creates readable by all.
    const mode_t savedMask = ::umask(022);
    testing::TempFolder temp;
    const ProgramFolder folder{temp / "vornik"};
    const auto& root = folder.root;
    std::string error;
    ASSERT_TRUE(PrepareProgramFolder(folder, error)) << error;
    const ErrorLog log(folder.ErrorLogFile());
    log.Write("a failure the user was spared");
    SystemClock clock;
    { SimulatedDialer dialer(clock, folder.SimulatedPhoneBookFile()); }
    Dbio db(folder.DatabaseFile(), log);
    db.OpenDatabase();
    for (const char* name : {"", "db", "log"}) {
        EXPECT_EQ(ModeOf(root / name), "700") << name;
    }
    for (const char* name : {"db/diallog.db", "db/diallog.db-wal", "db/diallog.db-shm",
                             "log/error.log", "simulated-phonebook.txt"}) {
        EXPECT_EQ(ModeOf(root / name), "600") << name;
    }
    db.CloseDatabase();

    // Files of an earlier version, or loosened by hand, are tightened on the next
    // start. The root, which may be the executable's own folder, and what is not
    // private keep their modes.
    const std::vector<std::string> files = {"db/diallog.db",           "db/diallog.db-wal",
                                            "db/diallog-backup.db",    "log/error.log",
                                            "simulated-phonebook.txt", "report/2006-05.txt"};
    for (const std::string& name : files) {
        testing::WriteFile(root / name, "");
        ASSERT_EQ(::chmod((root / name).c_str(), 0644), 0) << name;
    }
    for (const char* name : {"", "db", "log"}) {
        ASSERT_EQ(::chmod((root / name).c_str(), 0755), 0) << name;
    }
    ASSERT_TRUE(PrepareProgramFolder(folder, error)) << error;
    EXPECT_EQ(ModeOf(root), "755");
    EXPECT_EQ(ModeOf(root / "db"), "700");
    EXPECT_EQ(ModeOf(root / "log"), "700");
    for (const std::string& name : files) {
        EXPECT_EQ(ModeOf(root / name), name.starts_with("report/") ? "644" : "600") << name;
    }
    ::umask(savedMask);
}

}  // namespace
}  // namespace vornik
