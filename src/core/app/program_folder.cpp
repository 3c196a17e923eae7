#include "app/program_folder.h"

#include <system_error>

namespace vornik {

ProgramFolder ResolveProgramFolder(const ProgramFolderSources& sources) {
    namespace fs = std::filesystem;
    if (sources.rootOption && !sources.rootOption->empty()) {
        return {fs::absolute(*sources.rootOption)};
    }
    std::error_code ec;
    if (!sources.executableFolder.empty() &&
        fs::is_directory(sources.executableFolder / "db", ec)) {
        return {sources.executableFolder};
    }
    if (sources.xdgDataHome && fs::path(*sources.xdgDataHome).is_absolute()) {
        return {fs::path(*sources.xdgDataHome) / "vornik"};
    }
    const fs::path home = sources.home.value_or("");
    return {home / ".local" / "share" / "vornik"};
}

bool PrepareProgramFolder(const ProgramFolder& folder, std::string& error) {
    for (const char* sub : {"db", "log"}) {
        std::error_code ec;
        std::filesystem::create_directories(folder.root / sub, ec);
        if (ec) {
            error = (folder.root / sub).string() + ": " + ec.message();
            return false;
        }
    }
    return true;
}

}  // namespace vornik
