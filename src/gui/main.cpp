// vornik: opens (creating on first run) the call log in the program folder, loads
// the rules and reports them. The desktop shell builds on this start-up.
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include "app/program_folder.h"
#include "metering/time_rules.h"
#include "store/dbio.h"
#include "store/error_log.h"

namespace {

std::optional<std::string> Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::optional<std::string>(value) : std::nullopt;
}

std::filesystem::path ExecutableFolder() {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path() : exe.parent_path();
}

void PrintRules(const vornik::TimeRules& r) {
    std::cout << "firstFeeDay          " << r.firstFeeDay << '\n'
              << "monthlyMaxTimeOn     " << r.monthlyMaxTimeOn << "  monthlyMaxTime   "
              << r.monthlyMaxTime << " h\n"
              << "dailyMaxTimeOn       " << r.dailyMaxTimeOn << "  dailyMaxTime     "
              << r.dailyMaxTime << " h\n"
              << "eachMaxTimeOn        " << r.eachMaxTimeOn << "  eachMaxTime      "
              << r.eachMaxTime << " h\n"
              << "monthlyMaxVolumeOn   " << r.monthlyMaxVolumeOn << "  monthlyMaxVolume "
              << r.monthlyMaxVolume << " MB\n"
              << "maxSpeedForIdle      " << r.maxSpeedForIdle << " KB/s\n"
              << "idleTimeMax          " << r.idleTimeMax << " s\n"
              << "idleTimeOutAction    " << r.idleTimeOutAction << '\n'
              << "phoneFee             " << r.phoneFee << " per hour\n"
              << "feeType              " << r.feeType << '\n'
              << "baoshiFee            " << r.baoshiFee << "  baoshiTime " << r.baoshiTime
              << " h  baoshiTimeOutFee " << r.baoshiTimeOutFee << '\n'
              << "baoshi switches      minFeeUnit " << r.baoshiMinFeeUnit << "  time "
              << r.baoshiTimeDiscounted << "  weekend " << r.baoshiWeekendDiscounted << " ("
              << r.baoshiWeekendDiscount << ")  holiday " << r.baoshiHolidayDiscounted << '\n'
              << "jishiFee             " << r.jishiFee << '\n'
              << "jishi switches       minFeeUnit " << r.jishiMinFeeUnit << "  time "
              << r.jishiTimeDiscounted << "  weekend " << r.jishiWeekendDiscounted << " ("
              << r.jishiWeekendDiscount << ")  holiday " << r.jishiHolidayDiscounted << '\n'
              << "baoyueFee            " << r.baoyueFee << "  baoyueBeginTime " << r.baoyueBeginTime
              << '\n'
              << "soundOn              " << (r.soundOn ? "true" : "false") << '\n'
              << "maxSpeed             " << r.maxSpeed << " KB/s\n"
              << "logOrderDescending   " << r.logOrderDescending << '\n';
}

}  // namespace

int main(int argc, char** argv) {
    vornik::ProgramFolderSources sources;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--root" && i + 1 < argc) {
            sources.rootOption = argv[++i];
        } else if (arg == "--help") {
            std::cout << "usage: vornik [--root DIR]\n";
            return 0;
        } else {
            std::cerr << "vornik: unknown argument " << arg << '\n';
            return 2;
        }
    }
    sources.executableFolder = ExecutableFolder();
    sources.xdgDataHome = Environment("XDG_DATA_HOME");
    sources.home = Environment("HOME");
    const vornik::ProgramFolder folder = vornik::ResolveProgramFolder(sources);

    std::string error;
    if (!vornik::PrepareProgramFolder(folder, error)) {
        std::cerr << "vornik: cannot prepare the program folder: " << error << '\n';
        return 1;
    }
    const vornik::ErrorLog log(folder.ErrorLogFile());
    vornik::Dbio db(folder.DatabaseFile(), log);
    db.OpenDatabase();
    std::cout << "program folder       " << folder.root.string() << '\n'
              << "call log             " << folder.DatabaseFile().string() << '\n';
    if (!db.IsOpen()) {
        std::cerr << "vornik: the call log cannot be opened: it is damaged or was not written by "
                     "this program (see "
                  << log.File().string() << ")\n";
        return 1;
    }
    vornik::TimeRules rules;
    vornik::InitTimeRule(db, rules);
    PrintRules(rules);
    db.CloseDatabase();
    return 0;
}
