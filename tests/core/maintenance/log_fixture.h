// Log files with known calls for the maintenance tests, and what they hold.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "maintenance/log_maintenance.h"
#include "store/connection.h"
#include "store/error_log.h"
#include "support/temp_folder.h"

namespace vornik::testing {

struct Call {
    std::string begin;
    std::string end;
    std::string entry = "Home";
};

class LogFixture : public ::testing::Test {
  protected:
    std::filesystem::path Log() const { return folder_ / "db/diallog.db"; }

    // Makes `file` a log (when it is none yet) and adds the calls.
    void AddCalls(const std::filesystem::path& file, const std::vector<Call>& calls) const {
        std::filesystem::create_directories(file.parent_path());
        auto connection = Connection::Open(file, Connection::Mode::kCreateIfMissing, errors_);
        ASSERT_TRUE(connection->IsOpen()) << connection->LastError();
        ASSERT_TRUE(connection->InTransaction([&] {
            for (const Call& call : calls) {
                if (!connection->ExecuteSql("INSERT INTO diallog (beginTime, endTime, entryName, "
                                            "BytesIn, fee) VALUES (?, ?, ?, 1000, 0.5)",
                                            {call.begin, call.end, call.entry})) {
                    return false;
                }
            }
            return true;
        }));
    }

    // `count` calls a minute apart from 2006-01-01 00:00:00 on.
    static std::vector<Call> ManyCalls(int count, int firstMinute = 0) {
        std::vector<Call> calls;
        for (int i = firstMinute; i < firstMinute + count; ++i) {
            const Moment begin = AddSeconds(Moment{2006, 1, 1, 0, 0, 0}, i * 60LL);
            calls.push_back({MomentText(begin), MomentText(AddSeconds(begin, 30)), "Home"});
        }
        return calls;
    }

    // "begin end entry" of every call, in the order of the file.
    std::vector<std::string> CallsIn(const std::filesystem::path& file) const {
        auto connection = Connection::Open(file, Connection::Mode::kExistingLog, errors_);
        std::vector<std::string> calls;
        for (const Row& row : connection->QueryRows(
                 "SELECT beginTime, endTime, entryName FROM diallog ORDER BY id")) {
            calls.push_back(row[0].Text() + " " + row[1].Text() + " " + row[2].Text());
        }
        return calls;
    }

    static std::vector<std::string> Texts(const std::vector<Call>& calls) {
        std::vector<std::string> texts;
        for (const Call& call : calls) {
            texts.push_back(call.begin + " " + call.end + " " + call.entry);
        }
        return texts;
    }

    // The files in the log's folder, by name.
    std::set<std::string> FilesBeside(const std::filesystem::path& file) const {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(file.parent_path())) {
            names.insert(entry.path().filename().string());
        }
        return names;
    }

    TempFolder folder_;
    ErrorLog errors_{folder_ / "log/error.log"};
};

}  // namespace vornik::testing
