// Reading a rule file into the tables, all in one transaction.
#include "settings/rule_file.h"

#include <fstream>
#include <functional>
#include <sstream>
#include <string_view>

#include "base/setting_keys.h"
#include "base/text_excerpt.h"
#include "metering/time_rules.h"
#include "settings/discount_table.h"
#include "settings/holiday_table.h"
#include "settings/regional_text.h"
#include "store/dbio.h"
#include "store/password_hash.h"

namespace vornik {
namespace {

namespace fs = std::filesystem;
using Fields = std::vector<std::string>;

// Far beyond any set of rules; a file this big was chosen by mistake.
constexpr std::uintmax_t kLargestRuleFile = 16 * 1024 * 1024;

enum class Section { kNone, kConfig, kDiscountTime, kHoliday };

Fields Split(std::string_view line) {
    Fields fields;
    for (std::size_t start = 0;;) {
        const std::size_t comma = line.find(',', start);
        fields.emplace_back(line.substr(start, comma - start));
        if (comma == std::string_view::npos) {
            return fields;
        }
        start = comma + 1;
    }
}

// What became of one data line: stored, skipped for `reason`, or a statement
// that failed, which ends the import.
struct LineOutcome {
    enum { kStored, kSkipped, kFailed } kind = kStored;
    std::string reason;
};

LineOutcome Skip(std::string reason) {
    return {LineOutcome::kSkipped, std::move(reason)};
}

LineOutcome Stored(bool done) {
    return {done ? LineOutcome::kStored : LineOutcome::kFailed, {}};
}

std::size_t FieldCount(Section section) {
    return section == Section::kHoliday ? 5 : 4;
}

// A password from a file made before passwords were hashed is hashed now: the
// log never keeps one in clear text.
Result<std::string> StoredPasswordForm(const std::string& value) {
    if (value.empty() || IsPasswordHash(value)) {
        return value;
    }
    return HashPassword(value);
}

LineOutcome ConfigLine(Connection& connection, const Fields& f) {
    if (f[1].empty() || f[2].empty()) {
        return Skip("no group or key");
    }
    std::string value = f[3];
    if (EqualsIgnoringCase(f[1], keys::kPassword.group) &&
        EqualsIgnoringCase(f[2], keys::kPassword.key)) {
        Result<std::string> hashed = StoredPasswordForm(value);
        if (!hashed) {
            return {LineOutcome::kFailed, hashed.Error()};
        }
        value = std::move(hashed).Value();
    }
    return Stored(Dbio::ReplaceConfig(connection, f[1], f[2], value));
}

LineOutcome DiscountTimeLine(Connection& connection, const Fields& f) {
    const std::optional<int> begin = ParseRegionalTime(f[1]);
    const std::optional<int> end = ParseRegionalTime(f[2]);
    if (!begin || !end) {
        return Skip("a time that cannot be read");
    }
    const auto checked = ValidateInput(DiscountTimeInput{*begin, *end, f[3]});
    if (const auto* problem = std::get_if<InputProblem>(&checked)) {
        return Skip(problem->message);
    }
    return Stored(InsertDiscountTime(connection, f[0], std::get<DiscountTimeValues>(checked)));
}

LineOutcome HolidayLine(Connection& connection, const Fields& f) {
    const std::optional<Moment> date = ParseRegionalDate(f[2]);
    if (!date) {
        return Skip("a date that cannot be read");
    }
    const auto checked = ValidateInput(HolidayInput{f[1], *date, f[3], f[4]});
    if (const auto* problem = std::get_if<InputProblem>(&checked)) {
        return Skip(problem->message);
    }
    return Stored(InsertHoliday(connection, f[0], std::get<HolidayValues>(checked)));
}

// Reads the file's lines in order into the tables, inside the caller's
// transaction.
class RuleLines {
  public:
    RuleLines(Connection& connection, const ErrorLog& log, const fs::path& file,
              RuleImport& imported)
        : connection_(connection), log_(log), file_(file), imported_(imported) {}

    // False when a statement failed: the import ends and is rolled back.
    bool Take(std::size_t number, std::string_view line) {
        ++imported_.linesRead;
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        if (line == kConfigHeader) {
            section_ = Section::kConfig;
            return true;
        }
        if (line == kDiscountTimeHeader) {
            section_ = Section::kDiscountTime;
            return connection_.ExecuteSql("DELETE FROM discounttime");
        }
        if (line == kHolidayHeader) {
            section_ = Section::kHoliday;
            return connection_.ExecuteSql("DELETE FROM holiday");
        }
        if (line.empty()) {
            return true;
        }
        const LineOutcome outcome = Data(Split(line));
        if (outcome.kind == LineOutcome::kSkipped) {
            imported_.skippedLines.push_back(number);
            log_.Write("rule file " + file_.string() + ": line " + std::to_string(number) +
                       " skipped (" + outcome.reason + "): " + Excerpt(line));
        } else if (outcome.kind == LineOutcome::kStored) {
            ++imported_.rowsImported;
        } else {
            failure_ = outcome.reason;
        }
        return outcome.kind != LineOutcome::kFailed;
    }

    // Why the import ended, when no statement says it.
    const std::string& Failure() const { return failure_; }

  private:
    LineOutcome Data(const Fields& fields) {
        if (section_ == Section::kNone) {
            return Skip("before any section");
        }
        if (fields.size() != FieldCount(section_)) {
            return Skip(std::to_string(fields.size()) + " fields");
        }
        switch (section_) {
            case Section::kConfig:
                return ConfigLine(connection_, fields);
            case Section::kDiscountTime:
                return DiscountTimeLine(connection_, fields);
            default:
                return HolidayLine(connection_, fields);
        }
    }

    Connection& connection_;
    const ErrorLog& log_;
    const fs::path& file_;
    RuleImport& imported_;
    Section section_ = Section::kNone;
    std::string failure_;
};

Result<std::string> ReadRuleFile(const fs::path& file) {
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(file, ec);
    if (ec) {
        return Result<std::string>::Failure("无法读取规则文件 " + file.string() + "：" +
                                            ec.message());
    }
    if (size > kLargestRuleFile) {
        return Result<std::string>::Failure("文件 " + file.string() + " 太大，不是规则文件");
    }
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (!in) {
        return Result<std::string>::Failure("无法读取规则文件 " + file.string());
    }
    return bytes.str();
}

// Takes the file's lines into the tables in one transaction. Once every line is
// in, `whenTaken` runs inside it; then the transaction is committed when `keep`
// is set and rolled back otherwise.
Result<RuleImport> TakeRuleFile(Dbio& db, const fs::path& file, bool keep,
                                const std::function<void()>& whenTaken) {
    bool taken = false;
    const Result<std::string> bytes = ReadRuleFile(file);
    if (!bytes) {
        db.Log().Write("rule file not imported: " + bytes.Error());
        return Result<RuleImport>::Failure(bytes.Error());
    }
    const std::optional<DecodedText> text = DecodeRuleText(*bytes);
    if (!text) {
        db.Log().Write("rule file " + file.string() + " not imported: neither UTF-8 nor GB18030");
        return Result<RuleImport>::Failure("文件 " + file.string() +
                                           " 既不是 UTF-8 也不是 GB18030 文本，不是规则文件");
    }
    RuleImport imported;
    imported.fromGb18030 = text->fromGb18030;
    Connection& connection = db.Shared();
    RuleLines lines(connection, db.Log(), file, imported);
    const std::string_view all = text->utf8;
    const bool done = connection.InTransaction([&] {
        std::size_t number = 0;
        for (std::size_t start = 0; start < all.size();) {
            const std::size_t end = std::min(all.find('\n', start), all.size());
            if (!lines.Take(++number, all.substr(start, end - start))) {
                return false;
            }
            start = end + 1;
        }
        taken = true;
        whenTaken();
        return keep;
    });
    if (!done && (keep || !taken)) {
        const std::string why = lines.Failure().empty() ? connection.LastError() : lines.Failure();
        db.Log().Write("rule file " + file.string() +
                       " not imported, the rules are unchanged: " + why);
        return Result<RuleImport>::Failure("规则没有导入，原有规则没有改变：" + why);
    }
    return imported;
}

}  // namespace

Result<RuleImport> ImportRules(Dbio& db, const fs::path& file) {
    return TakeRuleFile(db, file, true, [] {});
}

Result<TimeRules> RulesOfRuleFile(Dbio& db, const fs::path& file) {
    TimeRules rules;
    RuleReloadHooks lookOnly;
    lookOnly.repairBillingDay = false;
    const Result<RuleImport> read =
        TakeRuleFile(db, file, false, [&] { InitTimeRule(db, rules, lookOnly); });
    if (!read) {
        return Result<TimeRules>::Failure(read.Error());
    }
    return rules;
}

}  // namespace vornik
