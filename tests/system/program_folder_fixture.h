// A program folder for a run of the built program: settings written into its log
// before the start, a phone book of one simulated entry, and the calls read back
// from the log afterwards.
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "base/moment.h"
#include "base/setting_keys.h"
#include "child_process.h"
#include "support/temp_folder.h"

namespace vornik::testing {

inline constexpr char kEntry[] = "测试连接";

struct LoggedCall {
    std::int64_t id = 0;
    Moment begin;
    Moment end;
};

// How a command of the program ended: its exit code (-1 when it did not end on
// its own within the bound) and what it printed.
struct Finished {
    int code = -1;
    std::string out;
    std::string err;
};

// Runs `vornik ARGS --root ROOT` to its end, in a UTF-8 locale, with `scratch`
// as its working folder.
Finished RunVornik(const std::filesystem::path& root, const std::filesystem::path& scratch,
                   std::vector<std::string> args);

class ProgramFolderFixture {
  public:
    ProgramFolderFixture();

    const std::filesystem::path& Root() const { return root_; }
    const std::filesystem::path& Scratch() const { return temp_.Path(); }

    // One simulated entry that connects after `connectDelaySeconds`, dialled at start.
    void PrepareAutoDial(int connectDelaySeconds);
    // The settings rows, written through the core's own log access.
    void SaveSettings(const std::vector<std::pair<SettingKey, std::string>>& settings);

    // vornik --headless --dialer sim --root ROOT (plus `extra`), no display.
    ChildOptions Headless(std::vector<std::string> extra = {}) const;

    // Opens the log as the program would, checks that it is whole (it opens,
    // PRAGMA integrity_check is ok, every call row is complete and ends no earlier
    // than it began) and returns the calls; test failures say what is wrong.
    std::vector<LoggedCall> CheckedCalls() const;

    std::string ErrorLogText() const;

  private:
    TempFolder temp_;
    std::filesystem::path root_;
};

}  // namespace vornik::testing
