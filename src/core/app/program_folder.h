// The program folder holds everything the program keeps: db/, log/, report/ and the
// user's own sounds, icons and help. A portable install keeps it beside the
// executable; otherwise it is the user's data folder.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace vornik {

struct ProgramFolder {
    std::filesystem::path root;

    std::filesystem::path DatabaseFile() const { return root / "db" / "diallog.db"; }
    std::filesystem::path ErrorLogFile() const { return root / "log" / "error.log"; }
    std::filesystem::path ReportFolder() const { return root / "report"; }
};

struct ProgramFolderSources {
    std::optional<std::filesystem::path> rootOption;  // --root DIR
    std::filesystem::path executableFolder;
    std::optional<std::string> xdgDataHome;  // $XDG_DATA_HOME
    std::optional<std::string> home;         // $HOME
};

// --root wins; then the executable's folder when it holds db/; then
// $XDG_DATA_HOME/vornik, or ~/.local/share/vornik when that variable is unset,
// empty or not absolute.
ProgramFolder ResolveProgramFolder(const ProgramFolderSources& sources);

// Creates db/ and log/; false with the reason when they cannot be made.
bool PrepareProgramFolder(const ProgramFolder& folder, std::string& error);

}  // namespace vornik
