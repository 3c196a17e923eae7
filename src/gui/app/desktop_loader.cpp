#include "app/desktop_loader.h"

#include <dlfcn.h>

#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

namespace vornik::gui {
namespace {

namespace fs = std::filesystem;

using DesktopEntry = decltype(&VornikRunDesktop);

std::vector<fs::path> Candidates() {
    std::error_code error;
    const fs::path folder = fs::read_symlink("/proc/self/exe", error).parent_path();
    return {folder / VORNIK_DESKTOP_MODULE,
            folder / ".." / "lib" / "vornik" / VORNIK_DESKTOP_MODULE};
}

}  // namespace

int RunDesktopModule(int& argc, char** argv, const cli::Options& options) {
    const std::vector<fs::path> candidates = Candidates();
    std::string why = "在 " + candidates[0].parent_path().string() + " 和 " +
                      candidates[1].parent_path().lexically_normal().string() + " 中都没有找到";
    for (const fs::path& file : candidates) {
        std::error_code error;
        if (!fs::exists(file, error)) {
            continue;
        }
        // Never unloaded: the program ends with it.
        void* module = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
        void* entry = module != nullptr ? dlsym(module, "VornikRunDesktop") : nullptr;
        if (entry == nullptr) {
            why = dlerror();
            break;
        }
        return reinterpret_cast<DesktopEntry>(entry)(argc, argv, options);
    }
    std::cerr << "Vornik 无法启动：无法载入桌面部分 " << VORNIK_DESKTOP_MODULE << "（" << why
              << "）。用 --headless 可在终端中运行。" << std::endl;
    return 1;
}

}  // namespace vornik::gui
