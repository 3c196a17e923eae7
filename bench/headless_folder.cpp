// Prepares a program folder for bench/headless_cost.sh: one simulated entry that
// carries steady traffic, dialled when the program starts.
// usage: bench_headless_folder ROOT
#include <fstream>
#include <iostream>

#include "base/setting_keys.h"
#include "store/dbio.h"
#include "store/error_log.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: bench_headless_folder ROOT\n";
        return 2;
    }
    const std::filesystem::path root = argv[1];
    std::filesystem::create_directories(root / "db");
    std::filesystem::create_directories(root / "log");
    std::ofstream(root / "simulated-phonebook.txt")
        << "[基准]\nuser=demo\npassword=demo\ndevice=PPPoE (模拟)\nconnect_delay=2\n"
           "traffic=steady 40 8\nfail=\n";
    const vornik::ErrorLog log(root / "log" / "error.log");
    vornik::Dbio db(root / "db" / "diallog.db", log);
    db.OpenDatabase();
    if (!db.IsOpen() || !db.SaveConfig(vornik::keys::kAutoDial, "1") ||
        !db.SaveConfig(vornik::keys::kLastEntry, "基准")) {
        std::cerr << "bench_headless_folder: cannot prepare the log in " << root << '\n';
        return 1;
    }
    return 0;
}
