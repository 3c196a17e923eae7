// Writing a rule file, and what the user is told of an export or an import.
#include "settings/rule_file.h"

#include <functional>
#include <string_view>

#include "base/atomic_file.h"
#include "base/text_excerpt.h"
#include "settings/discount_table.h"
#include "settings/regional_text.h"
#include "store/dbio.h"

namespace vornik {
namespace {

namespace fs = std::filesystem;
using Fields = std::vector<std::string>;

// Skipped lines named one by one before the rest are only counted.
constexpr std::size_t kRangesNamed = 20;

std::string StoredTime(const std::string& stored) {
    const std::optional<int> second = ParseRegionalTime(stored);
    return second ? TimeOfDayText(*second) : stored;
}

std::string StoredDate(const std::string& stored) {
    const std::optional<Moment> date = ParseRegionalDate(stored);
    return date ? DateText(*date) : stored;
}

struct SectionSource {
    const char* header;
    const char* query;
    std::function<Fields(const RowView&)> fields;
};

const SectionSource kSections[] = {
    {kConfigHeader,
     "SELECT entryName, propertyType, propertyName, propertyValue FROM config "
     "ORDER BY propertyType, rowid",
     [](const RowView& r) {
         return Fields{r.Text(0), r.Text(1), r.Text(2), r.Text(3)};
     }},
    {kDiscountTimeHeader,
     "SELECT entryName, beginTime, endTime, discount FROM discounttime ORDER BY id",
     [](const RowView& r) {
         return Fields{r.Text(0), StoredTime(r.Text(1)), StoredTime(r.Text(2)), r.Text(3)};
     }},
    {kHolidayHeader,
     "SELECT entryName, holidayName, beginTime, totalDays, discount FROM holiday ORDER BY id",
     [](const RowView& r) {
         return Fields{r.Text(0), r.Text(1), StoredDate(r.Text(2)), r.Text(3), r.Text(4)};
     }},
};

std::string Joined(const Fields& fields, std::string_view separator) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        line += (i == 0 ? "" : std::string(separator)) + fields[i];
    }
    return line;
}

bool Writable(const Fields& fields) {
    for (const std::string& field : fields) {
        if (field.find_first_of(",\r\n") != std::string::npos) {
            return false;
        }
    }
    return true;
}

// A row left out, as the user can find it again: line breaks shown as blanks.
std::string Described(const char* header, const Fields& fields) {
    std::string text = Joined(fields, " / ");
    for (char& c : text) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    return std::string(header) + " " + Excerpt(text);
}

// "3、5-7、10": runs of neighbouring lines joined.
std::string LineRanges(const std::vector<std::size_t>& lines) {
    std::string text;
    std::size_t named = 0;
    for (std::size_t i = 0; i < lines.size();) {
        std::size_t last = i;
        while (last + 1 < lines.size() && lines[last + 1] == lines[last] + 1) {
            ++last;
        }
        if (named++ == kRangesNamed) {
            return text + " 等";
        }
        text += (text.empty() ? "" : "、") + std::to_string(lines[i]) +
                (last > i ? "-" + std::to_string(lines[last]) : "");
        i = last + 1;
    }
    return text;
}

}  // namespace

Result<RuleExport> ExportRules(Dbio& db, const fs::path& file) {
    RuleExport exported;
    std::string text;
    for (const SectionSource& section : kSections) {
        std::string lines;
        const bool read = db.ForEachRow(section.query, {}, [&](const RowView& row) {
            const Fields fields = section.fields(row);
            if (Writable(fields)) {
                lines += Joined(fields, ",") + "\r\n";
                ++exported.rowsWritten;
            } else {
                exported.leftOut.push_back(Described(section.header, fields));
            }
        });
        if (!read) {
            // A file without the rows that could not be read would pass for the whole set.
            return Result<RuleExport>::Failure("规则没有导出：" + db.Shared().LastError());
        }
        if (!lines.empty()) {
            text += std::string(section.header) + "\r\n" + lines;
        }
    }
    for (const std::string& row : exported.leftOut) {
        db.Log().Write("rule file " + file.string() +
                       ": left out, a value holds a comma or a line break: " + row);
    }
    if (const Result<> written = WriteFileAtomically(file, text); !written) {
        db.Log().Write("rule file not written: " + written.Error());
        return Result<RuleExport>::Failure("规则没有导出：" + written.Error());
    }
    return exported;
}

std::string ExportReportText(const fs::path& file, const RuleExport& exported) {
    std::string text =
        "已把 " + std::to_string(exported.rowsWritten) + " 条规则导出到 " + file.string() + "。";
    if (!exported.leftOut.empty()) {
        text += "\n以下规则的值含有逗号或换行，规则文件无法保存，已略去：";
        for (const std::string& row : exported.leftOut) {
            text += "\n" + row;
        }
    }
    return text;
}

std::string ImportReportText(const fs::path& file, const RuleImport& imported) {
    std::string text = "已从 " + file.string() + " 读取 " + std::to_string(imported.linesRead) +
                       " 行，导入 " + std::to_string(imported.rowsImported) + " 条规则。";
    if (!imported.skippedLines.empty()) {
        text += "\n无法识别、已跳过的行：第 " + LineRanges(imported.skippedLines) + " 行。";
    }
    return text;
}

}  // namespace vornik
