#include "store/schema.h"

#include <array>
#include <string>
#include <utility>

#include "base/setting_keys.h"
#include "store/connection.h"
#include "store/password_hash.h"

namespace vornik {
namespace {

// Moments are "yyyy-MM-dd HH:mm:ss" text; byte counts are 64-bit integers. Group
// and key names compare without regard to letter case, as every reader expects.
constexpr std::array kSchema{
    "CREATE TABLE IF NOT EXISTS diallog ("
    " id INTEGER PRIMARY KEY AUTOINCREMENT,"
    " beginTime TEXT NOT NULL,"
    " endTime TEXT,"
    " entryName TEXT NOT NULL DEFAULT '',"
    " deviceType TEXT,"
    " IpAddress TEXT,"
    " BytesIn INTEGER NOT NULL DEFAULT 0,"
    " BytesOut INTEGER NOT NULL DEFAULT 0,"
    " fee REAL NOT NULL DEFAULT 0,"
    " callSeconds INTEGER)",
    "CREATE TABLE IF NOT EXISTS holiday ("
    " id INTEGER PRIMARY KEY AUTOINCREMENT,"
    " entryName TEXT NOT NULL DEFAULT 'global',"
    " holidayName TEXT NOT NULL,"
    " beginTime TEXT NOT NULL,"
    " totalDays INTEGER NOT NULL,"
    " discount REAL NOT NULL)",
    // What a call's record cannot vouch for, one row per kind; an older program
    // knows nothing of the table and leaves it alone.
    "CREATE TABLE IF NOT EXISTS callmarks ("
    " callId INTEGER NOT NULL,"
    " kind TEXT NOT NULL,"
    " detail TEXT,"
    " PRIMARY KEY (callId, kind))",
    "CREATE TRIGGER IF NOT EXISTS callmarks_call_gone AFTER DELETE ON diallog"
    " BEGIN DELETE FROM callmarks WHERE callId = OLD.id; END",
    // What the provider billed for a billing month ("2006-05"), beside the
    // recorded fees, which it never changes.
    "CREATE TABLE IF NOT EXISTS bills (month TEXT PRIMARY KEY, amount REAL NOT NULL)",
    "CREATE TABLE IF NOT EXISTS discounttime ("
    " id INTEGER PRIMARY KEY AUTOINCREMENT,"
    " entryName TEXT NOT NULL DEFAULT 'global',"
    " beginTime TEXT NOT NULL,"
    " endTime TEXT NOT NULL,"
    " discount REAL NOT NULL)",
};

constexpr const char* kConfigTable =
    "CREATE TABLE config ("
    " entryName TEXT NOT NULL DEFAULT 'global' COLLATE NOCASE,"
    " propertyType TEXT NOT NULL COLLATE NOCASE,"
    " propertyName TEXT NOT NULL COLLATE NOCASE,"
    " propertyValue TEXT)";
constexpr const char* kConfigIndex =
    "CREATE UNIQUE INDEX config_setting ON config (entryName, propertyType, propertyName)";

// A call's length in whole seconds is kept beside its times, so totals add a
// column instead of doing date arithmetic on every row. The triggers keep it
// right whoever writes the times: this program, an import, a hand at the prompt.
constexpr const char* kCallSeconds =
    "(CAST(strftime('%s', NEW.endTime) AS INTEGER) - CAST(strftime('%s', NEW.beginTime) AS "
    "INTEGER))";

// The program's own writes bring the seconds along; the trigger then has nothing
// to do and adds no second write to the minute's.
std::string SecondsTrigger(const char* name, const char* event) {
    return std::string("CREATE TRIGGER IF NOT EXISTS ") + name + " AFTER " + event +
           " ON diallog WHEN NEW.callSeconds IS NOT " + kCallSeconds +
           " BEGIN UPDATE diallog SET callSeconds = " + kCallSeconds + " WHERE id = NEW.id; END";
}

// Serves every history query (one entry, a range of begin times) and holds all
// that the totals and the month's calls read, so they never touch the table
// itself: a month of a big log is read from a few neighbouring pages.
constexpr const char* kCallsIndex =
    "CREATE INDEX IF NOT EXISTS diallog_calls ON diallog"
    " (entryName, beginTime, endTime, callSeconds, fee, BytesIn, BytesOut, deviceType, IpAddress)";

// The log's layout: 2 added the calls' seconds and the index that covers the
// history, 3 the calls' marks and the bills.
constexpr int kSchemaVersion = 3;

bool HasColumn(Connection& connection, std::string_view table, std::string_view column) {
    for (const Row& row : connection.QueryRows("PRAGMA table_info(" + std::string(table) + ")")) {
        if (row.size() > 1 && row[1].Text() == column) {
            return true;
        }
    }
    return false;
}

// A log made before the calls' seconds were kept gets the column, filled once.
bool UpgradeCallTable(Connection& connection) {
    if (connection.QueryValue("PRAGMA user_version").value_or(Field()).Integer() >=
        kSchemaVersion) {
        return true;
    }
    if (!HasColumn(connection, "diallog", "callSeconds") &&
        !(connection.ExecuteSql("ALTER TABLE diallog ADD COLUMN callSeconds INTEGER") &&
          connection.ExecuteSql("UPDATE diallog SET callSeconds ="
                                " CAST(strftime('%s', endTime) AS INTEGER)"
                                " - CAST(strftime('%s', beginTime) AS INTEGER)"))) {
        return false;
    }
    return connection.ExecuteSql("DROP INDEX IF EXISTS diallog_entry_begin") &&
           connection.ExecuteSql("PRAGMA user_version = " + std::to_string(kSchemaVersion));
}

bool HasTable(Connection& connection, std::string_view table) {
    return connection
        .QueryValue("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ? COLLATE NOCASE",
                    {table})
        .has_value();
}

// The time-limit switches are off, so a new installation can dial; the idle
// action asks after five minutes; the tariff is by the hour. Every box the
// options dialog checks under that tariff holds a number, so the user can save
// a first change without filling in the rest.
bool InsertStartingConfig(Connection& connection) {
    const Result<std::string> password = HashPassword(kInitialPassword);
    if (!password) {
        return false;
    }
    const std::array<std::pair<const SettingKey*, std::string>, 14> rows{{
        {&keys::kChkMonthlyMaxTime, "0"},
        {&keys::kChkDailyMaxTime, "0"},
        {&keys::kChkEachMaxTime, "0"},
        {&keys::kMonthlyMaxTime, "0"},
        {&keys::kDailyMaxTime, "0"},
        {&keys::kEachMaxTime, "0"},
        {&keys::kPhoneFee, "0"},
        {&keys::kJishiFee, "0"},
        {&keys::kJishiWeekendDiscount, "1"},
        {&keys::kIdleTimeMax, "300"},
        {&keys::kIdleTimeOutAction, "1"},
        {&keys::kMaxSpeedForIdle, "0.5"},
        {&keys::kFeeType, "1"},
        {&keys::kPassword, password.Value()},
    }};
    for (const auto& [key, value] : rows) {
        if (!connection.ExecuteSql("INSERT INTO config (entryName, propertyType, propertyName, "
                                   "propertyValue) VALUES ('global', ?, ?, ?)",
                                   {key->group, key->key, value})) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool HasLogSchema(Connection& connection) {
    return connection.QueryValue(kLogTableQuery).has_value();
}

Result<> EnsureLogSchema(Connection& connection) {
    const bool made = connection.InTransaction([&connection] {
        for (const char* statement : kSchema) {
            if (!connection.ExecuteSql(statement)) {
                return false;
            }
        }
        if (!UpgradeCallTable(connection) ||
            !connection.ExecuteSql(SecondsTrigger("diallog_seconds_new", "INSERT")) ||
            !connection.ExecuteSql(
                SecondsTrigger("diallog_seconds_changed", "UPDATE OF beginTime, endTime")) ||
            !connection.ExecuteSql(kCallsIndex)) {
            return false;
        }
        if (HasTable(connection, "config")) {
            return true;
        }
        return connection.ExecuteSql(kConfigTable) && connection.ExecuteSql(kConfigIndex) &&
               InsertStartingConfig(connection);
    });
    if (!made) {
        return Result<>::Failure("the log's tables could not be created");
    }
    return Result<>::Success();
}

}  // namespace vornik
