#include "store/error_log.h"

#include <gtest/gtest.h>

#include <string>

#include "support/temp_folder.h"

namespace vornik {
namespace {

using testing::ReadFile;
using testing::TempFolder;
using testing::WriteFile;

TEST(ErrorLogTest, ALinkInThePlaceOfTheTraceIsNotFollowed) {
    TempFolder folder;
    const ErrorLog log(folder / "log/error.log");
    log.Write("a failure");
    EXPECT_NE(ReadFile(log.File()).find(" a failure\n"), std::string::npos);

    std::filesystem::remove(log.File());
    WriteFile(folder / "elsewhere.txt", "not the program's\n");
    std::filesystem::create_symlink(folder / "elsewhere.txt", log.File());
    log.Write("another failure");
    EXPECT_EQ(ReadFile(folder / "elsewhere.txt"), "not the program's\n");
}

}  // namespace
}  // namespace vornik
