#include "settings/rules_command.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <ostream>

#include "app/program_start.h"
#include "app/single_instance.h"
#include "base/number_text.h"
#include "settings/rule_file.h"
#include "settings/rule_listing.h"
#include "store/dbio.h"

namespace vornik::gui {
namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// A stored number as a JSON number; a text that is none stays a text.
QJsonValue Number(const std::string& stored) {
    const std::optional<double> number = ParseNumber(stored);
    return number && !stored.empty() ? QJsonValue(*number) : QJsonValue(Q(stored));
}

QByteArray ListingJson(const RuleListing& listing) {
    QJsonArray config;
    for (const ConfigRow& row : listing.config) {
        config.append(
            QJsonObject{{"group", Q(row.group)}, {"key", Q(row.key)}, {"value", Q(row.value)}});
    }
    QJsonArray windows;
    for (const DiscountTimeRow& row : listing.windows) {
        windows.append(QJsonObject{{"id", static_cast<double>(row.id)},
                                   {"begin", Q(row.beginTime)},
                                   {"end", Q(row.endTime)},
                                   {"discount", Number(row.discount)}});
    }
    QJsonArray holidays;
    for (const HolidayRow& row : listing.holidays) {
        holidays.append(QJsonObject{{"id", static_cast<double>(row.id)},
                                    {"name", Q(row.name)},
                                    {"begin", Q(row.beginDate)},
                                    {"days", Number(row.totalDays)},
                                    {"discount", Number(row.discount)}});
    }
    return QJsonDocument(
               QJsonObject{{"config", config}, {"discountTimes", windows}, {"holidays", holidays}})
        .toJson(QJsonDocument::Indented);
}

// Tells a running Vornik of the folder to take the new rules; false when one
// runs but did not confirm.
bool TellRunningInstance(const ProgramFolder& folder, std::ostream& out, std::ostream& err) {
    using Answer = SingleInstance::ReloadAnswer;
    switch (SingleInstance::AskToReloadRules(Q(folder.root.string()))) {
        case Answer::kNoneRunning:
            return true;
        case Answer::kReloaded:
            out << "正在运行的 Vornik 已按新规则计费。" << std::endl;
            return true;
        case Answer::kNoAnswer:
            break;
    }
    err << "vornik: 正在运行的 Vornik 没有应答：新规则要等它下次载入规则时才生效。" << std::endl;
    return false;
}

int Export(Dbio& db, const cli::RulesCommand& command, std::ostream& out, std::ostream& err) {
    const Result<RuleExport> exported = ExportRules(db, command.file);
    if (!exported) {
        err << "vornik: " << exported.Error() << std::endl;
        return 1;
    }
    (exported->leftOut.empty() ? out : err)
        << ExportReportText(command.file, *exported) << std::endl;
    return exported->leftOut.empty() ? 0 : 1;
}

int Import(Dbio& db, const ProgramFolder& folder, const cli::RulesCommand& command,
           std::ostream& out, std::ostream& err) {
    const Result<RuleImport> imported = ImportRules(db, command.file);
    if (!imported) {
        err << "vornik: " << imported.Error() << std::endl;
        return 1;
    }
    (imported->skippedLines.empty() ? out : err)
        << ImportReportText(command.file, *imported) << std::endl;
    const bool told = TellRunningInstance(folder, out, err);
    return told && imported->skippedLines.empty() ? 0 : 1;
}

}  // namespace

int RunRulesCommand(const cli::Options& options, const cli::RulesCommand& command,
                    std::ostream& out, std::ostream& err) {
    const ProgramFolder folder = ChosenProgramFolder(options);
    const ErrorLog log(folder.ErrorLogFile());
    const bool importing = command.verb == cli::RulesCommand::Verb::kImport;
    std::string error;
    // Only an import may make a log: there is nothing to export or show without one.
    if (!importing && !std::filesystem::exists(folder.DatabaseFile())) {
        err << "vornik: 程序文件夹 " << folder.root.string() << " 中没有拨号记录 "
            << folder.DatabaseFile().string() << std::endl;
        return 1;
    }
    if (importing && !PrepareProgramFolder(folder, error,
                                           [&log](const std::string& line) { log.Write(line); })) {
        err << "vornik: 无法建立程序文件夹：" << error << std::endl;
        return 1;
    }
    Dbio db(folder.DatabaseFile(), log);
    db.OpenDatabase();
    if (!db.IsOpen()) {
        err << "vornik: " << db.OpenFailure() << std::endl;
        return 1;
    }
    switch (command.verb) {
        case cli::RulesCommand::Verb::kExport:
            return Export(db, command, out, err);
        case cli::RulesCommand::Verb::kImport:
            return Import(db, folder, command, out, err);
        case cli::RulesCommand::Verb::kShow:
            break;
    }
    const RuleListing listing = ListRules(db);
    if (command.json) {
        out << ListingJson(listing).toStdString();
    } else {
        out << RuleListingText(listing);
    }
    return 0;
}

}  // namespace vornik::gui
