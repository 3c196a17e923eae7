#include "store/error_log.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "support/temp_folder.h"

namespace vornik {
namespace {

using testing::ReadFile;
using testing::TempFolder;
using testing::WriteFile;

TEST(ErrorLogTest, LinesGoToAPrivateFileAndNeverThroughALinkInItsPlace) {
    TempFolder folder;
    const ErrorLog log(folder / "log/error.log");
    log.Write("first failure");
    log.Write("second failure");
    const std::string trace = ReadFile(log.File());
    EXPECT_EQ(trace.size(), 2 * 20 + std::string("first failure\nsecond failure\n").size())
        << trace;
    EXPECT_NE(trace.find(" first failure\n"), std::string::npos) << trace;
    struct stat info {};
    ASSERT_EQ(::lstat(log.File().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);

    // Someone puts a link where the trace was: what it points to stays as it was.
    std::filesystem::remove(log.File());
    WriteFile(folder / "elsewhere.txt", "not the program's\n");
    std::filesystem::create_symlink(folder / "elsewhere.txt", log.File());
    log.Write("third failure");
    EXPECT_EQ(ReadFile(folder / "elsewhere.txt"), "not the program's\n");
    EXPECT_TRUE(std::filesystem::is_symlink(log.File()));
}

}  // namespace
}  // namespace vornik
