#include "app/program_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <map>
#include <string>

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

using Modes = std::map<std::string, std::string>;

// The octal modes, as `stat -c %a` shows them, of the paths `expected` names.
Modes ModesOf(const std::filesystem::path& root, const Modes& expected) {
    Modes modes;
    for (const auto& [name, ignored] : expected) {
        struct stat info {};
        char octal[8] = "missing";
        if (::lstat((root / name).c_str(), &info) == 0) {
            std::snprintf(octal, sizeof octal, "%o", info.st_mode & 07777);
        }
        modes[name] = octal;
    }
    return modes;
}

// The usual mask would leave everything the program creates readable by all.
class UsualMask {
  public:
    UsualMask() : saved_(::umask(022)) {}
    ~UsualMask() { ::umask(saved_); }

  private:
    mode_t saved_;
};

TEST(ProgramFolderTest, PrivateFilesAreTheOwnersAloneAfterAFirstRunAndAfterTheNextStart) {
    const UsualMask mask;
    testing::TempFolder temp;
    const ProgramFolder folder{temp / "vornik"};
    std::string error;
    ASSERT_TRUE(PrepareProgramFolder(folder, error)) << error;
    const ErrorLog log(folder.ErrorLogFile());
    log.Write("a failure the user was spared");
    SystemClock clock;
    { SimulatedDialer dialer(clock, folder.SimulatedPhoneBookFile()); }
    Dbio db(folder.DatabaseFile(), log);
    db.OpenDatabase();
    ASSERT_TRUE(db.IsOpen());
    const Modes firstRun = {{"", "700"},
                            {"db", "700"},
                            {"db/diallog.db", "600"},
                            {"db/diallog.db-wal", "600"},
                            {"db/diallog.db-shm", "600"},
                            {"log", "700"},
                            {"log/error.log", "600"},
                            {"simulated-phonebook.txt", "600"}};
    EXPECT_EQ(ModesOf(folder.root, firstRun), firstRun);
    db.CloseDatabase();

    // Files of an earlier version, or loosened by hand, are tightened on the next
    // start. The root, which may be the executable's own folder, and what is not
    // private keep their modes.
    testing::WriteFile(folder.root / "db/diallog.db-wal", "");
    testing::WriteFile(folder.root / "db/diallog-backup.db", "");
    testing::WriteFile(folder.root / "report/2006-05.txt", "");
    const std::map<std::string, mode_t> loose = {{"", 0755},
                                                 {"db", 0775},
                                                 {"db/diallog.db", 0644},
                                                 {"db/diallog.db-wal", 0666},
                                                 {"db/diallog-backup.db", 0640},
                                                 {"log", 0755},
                                                 {"log/error.log", 0644},
                                                 {"simulated-phonebook.txt", 0604}};
    for (const auto& [name, mode] : loose) {
        ASSERT_EQ(::chmod((folder.root / name).c_str(), mode), 0) << name;
    }
    ASSERT_TRUE(PrepareProgramFolder(folder, error)) << error;
    const Modes nextStart = {{"", "755"},
                             {"db", "700"},
                             {"db/diallog.db", "600"},
                             {"db/diallog.db-wal", "600"},
                             {"db/diallog-backup.db", "600"},
                             {"log", "700"},
                             {"log/error.log", "600"},
                             {"simulated-phonebook.txt", "600"},
                             {"report/2006-05.txt", "644"}};
    EXPECT_EQ(ModesOf(folder.root, nextStart), nextStart);
}

}  // namespace
}  // namespace vornik
