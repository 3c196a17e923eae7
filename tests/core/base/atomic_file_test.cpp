#include "base/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/temp_folder.h"

namespace vornik {
namespace {

namespace fs = std::filesystem;

std::size_t Entries(const fs::path& folder) {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(folder), fs::directory_iterator{}));
}

// A reader sees the old file or the whole new one; a write that fails leaves the
// old file and no temporary behind.
TEST(WriteFileAtomically, ReplacesWholeOrNotAtAll) {
    testing::TempFolder folder;
    const fs::path file = folder / "sub" / "rules.ini";
    ASSERT_TRUE(WriteFileAtomically(file, "first").Ok());
    ASSERT_TRUE(WriteFileAtomically(file, "second").Ok());
    EXPECT_EQ(testing::ReadFile(file), "second");
    EXPECT_EQ(Entries(file.parent_path()), 1u);
    struct stat status {};
    ASSERT_EQ(stat(file.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);

    // The rename fails: a folder holds the name.
    const fs::path taken = folder / "taken";
    fs::create_directories(taken / "inside");
    const Result<> refused = WriteFileAtomically(taken, "text");
    EXPECT_FALSE(refused.Ok());
    EXPECT_NE(refused.Error().find("taken"), std::string::npos) << refused.Error();
    EXPECT_TRUE(fs::is_directory(taken / "inside"));
    EXPECT_EQ(Entries(folder.Path()), 2u);  // sub/ and taken/, no temporary
}

}  // namespace
}  // namespace vornik
