// Writing a file so that a reader, a crash or a full disk leaves either the old
// file or the whole new one, never a part: the text goes to a temporary file in
// the same folder, is flushed to the disk, and then takes the file's name.
#pragma once

#include <filesystem>
#include <string_view>

#include "base/result.h"

namespace vornik {

// Creates the folder when missing. `mode` is the new file's permission bits
// (owner-only by default: most of what the program writes is private).
Result<> WriteFileAtomically(const std::filesystem::path& file, std::string_view text,
                             std::filesystem::perms mode = std::filesystem::perms::owner_read |
                                                           std::filesystem::perms::owner_write);

}  // namespace vornik
