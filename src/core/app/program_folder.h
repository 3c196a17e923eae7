// The program folder holds everything the program keeps: db/, log/, report/ and the
// user's own sounds, icons and help. A portable install keeps it beside the
// executable; otherwise it is the user's data folder.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace vornik {

struct ProgramFolder {
    std::filesystem::path root;

    std::filesystem::path DatabaseFile() const { return root / "db" / "diallog.db"; }
    std::filesystem::path ErrorLogFile() const { return root / "log" / "error.log"; }
    std::filesystem::path ReportFolder() const { return root / "report"; }
    std::filesystem::path SimulatedPhoneBookFile() const {
        return root / "simulated-phonebook.txt";
    }
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

// Creates db/ and log/, and the root when it is missing, for the owner alone
// (0700). The call log, the trace and the simulated phone book's passwords are
// nobody else's business, so on every start the existing db/ and log/, the files
// directly in them and simulated-phonebook.txt lose all rights of group and
// others. An existing root is left as it is: it may be the executable's own
// folder. False with the reason when db/ or log/ cannot be made; a file that
// cannot be tightened goes to `trace` and does not stop the start.
bool PrepareProgramFolder(const ProgramFolder& folder, std::string& error,
                          const std::function<void(const std::string&)>& trace = {});

}  // namespace vornik
