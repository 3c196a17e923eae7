// The program's trace file, log/error.log under the program folder. Failures that
// the user is spared are written here with a time stamp so they can be found.
#pragma once

#include <filesystem>
#include <string_view>

namespace vornik {

class ErrorLog {
  public:
    explicit ErrorLog(std::filesystem::path file);

    // Appends "yyyy-MM-dd HH:mm:ss <text>" as one line; creates the folder (0700)
    // and the file (0600) when missing. A trace that cannot be written is dropped:
    // there is nowhere left to report it. A symbolic link in the file's place is
    // never followed (said once on stderr).
    void Write(std::string_view text) const;

    const std::filesystem::path& File() const { return file_; }

  private:
    std::filesystem::path file_;
};

}  // namespace vornik
