#include "app/program_folder.h"

#include <system_error>

namespace vornik {
namespace {

namespace fs = std::filesystem;

constexpr fs::perms kOthersRights = fs::perms::group_all | fs::perms::others_all;

// Makes `folder` (and the folders above it, with the usual mode) and gives the
// last one to the owner alone. False with the reason when it cannot be made.
bool MakePrivateFolder(const fs::path& folder, std::string& error) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (!ec) {
        fs::permissions(folder, fs::perms::owner_all, fs::perm_options::replace, ec);
    }
    if (ec) {
        error = folder.string() + ": " + ec.message();
        return false;
    }
    return true;
}

// Takes the rights of group and others from a file or folder of our own making.
// Links are left alone: whatever they point to is not ours to change.
void Tighten(const fs::path& path, const std::function<void(const std::string&)>& trace) {
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(path, ec);
    if (ec || !(fs::is_regular_file(status) || fs::is_directory(status)) ||
        (status.permissions() & kOthersRights) == fs::perms::none) {
        return;
    }
    fs::permissions(path, kOthersRights, fs::perm_options::remove, ec);
    if (ec && trace) {
        trace("cannot make " + path.string() + " private to its owner: " + ec.message());
    }
}

void TightenFolderAndFiles(const fs::path& folder,
                           const std::function<void(const std::string&)>& trace) {
    Tighten(folder, trace);
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->is_regular_file(ec) && !it->is_symlink(ec)) {
            Tighten(it->path(), trace);
        }
    }
    if (ec && trace) {
        trace("cannot look through " + folder.string() + ": " + ec.message());
    }
}

}  // namespace

ProgramFolder ResolveProgramFolder(const ProgramFolderSources& sources) {
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

bool PrepareProgramFolder(const ProgramFolder& folder, std::string& error,
                          const std::function<void(const std::string&)>& trace) {
    std::error_code ec;
    if (!fs::exists(folder.root, ec) && !MakePrivateFolder(folder.root, error)) {
        return false;
    }
    for (const char* sub : {"db", "log"}) {
        const fs::path path = folder.root / sub;
        if (fs::is_directory(path, ec)) {
            TightenFolderAndFiles(path, trace);
        } else if (!MakePrivateFolder(path, error)) {
            return false;
        }
    }
    Tighten(folder.SimulatedPhoneBookFile(), trace);
    return true;
}

}  // namespace vornik
