// Writes a log of many calls for the benchmarks: `make_big_log FILE [CALLS]` makes
// FILE (a new Vornik log) hold CALLS calls (default 1,000,000) spread evenly over
// the ten years before 2026-12-06, each 1 to 120 minutes long, every tenth on
// "模拟GPRS" and the rest on "模拟ADSL". A million calls put some 7,500 of the
// entry's calls into each billing month, more than the pages of a month fit in a
// default page cache. The same arguments always give the same log.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "base/moment.h"
#include "store/dbio.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_big_log FILE [CALLS]\n");
        return 2;
    }
    const std::filesystem::path file = argv[1];
    const long calls = argc > 2 ? std::strtol(argv[2], nullptr, 10) : 1'000'000;
    const vornik::ErrorLog log(file.parent_path() / "make_big_log.trace");
    vornik::Dbio db(file, log);
    db.OpenDatabase();
    if (!db.IsOpen()) {
        std::fprintf(stderr, "%s\n", db.OpenFailure().c_str());
        return 1;
    }
    std::mt19937_64 random(20061206);
    std::uniform_int_distribution<int> minutes(1, 120);
    std::uniform_int_distribution<std::int64_t> bytes(0, 50'000'000);
    vornik::Moment begin{2026, 12, 6, 0, 0, 0};
    const std::int64_t spacing = std::max<std::int64_t>(1, 10 * 365 * 86400 / std::max(calls, 1L));
    vornik::Connection& connection = db.Shared();
    const bool written = connection.InTransaction([&] {
        for (long i = 0; i < calls; ++i) {
            begin = vornik::AddSeconds(begin, -spacing);
            const int length = minutes(random) * 60;
            const vornik::SqlParams row{vornik::MomentText(begin),
                                        vornik::MomentText(vornik::AddSeconds(begin, length)),
                                        i % 10 == 9 ? "模拟GPRS" : "模拟ADSL",
                                        "PPPoE (模拟)",
                                        "198.51.100.23",
                                        bytes(random),
                                        bytes(random) / 8,
                                        length / 60 * 0.05};
            if (!connection.ExecuteSql(
                    "INSERT INTO diallog (beginTime, endTime, entryName, deviceType, IpAddress,"
                    " BytesIn, BytesOut, fee) VALUES (?, ?, ?, ?, ?, ?, ?, ?)",
                    row)) {
                return false;
            }
        }
        return true;
    });
    if (!written) {
        std::fprintf(stderr, "could not write the calls: %s\n", connection.LastError().c_str());
        return 1;
    }
    std::printf("%ld calls written to %s\n", calls, file.c_str());
    return 0;
}
