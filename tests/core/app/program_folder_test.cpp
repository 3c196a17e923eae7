#include "app/program_folder.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace vornik
