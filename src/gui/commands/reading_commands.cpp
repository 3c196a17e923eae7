#include "commands/reading_commands.h"

#include <ostream>

#include "app/locale_number.h"
#include "base/atomic_file.h"
#include "commands/log_reading.h"

namespace vornik::gui {
namespace {

int PrintListing(const cli::Options& options, ReportKind kind, const cli::Selection& selection,
                 cli::Listing listing, std::ostream& out, std::ostream& err) {
    LogReading reading(options);
    if (!reading.Open(err)) {
        return 1;
    }
    const Report report = reading.Load(kind, selection);
    switch (listing) {
        case cli::Listing::kText:
            out << ComposeReportTable(report);
            break;
        case cli::Listing::kJson:
            out << ComposeReport(report, ReportFormat::kJson, PlainNumber);
            break;
        case cli::Listing::kCsv:
            out << ComposeReport(report, ReportFormat::kCsv, PlainNumber);
            break;
    }
    return out ? 0 : 1;
}

ReportKind KindOf(cli::ReportCommand::Kind kind) {
    switch (kind) {
        case cli::ReportCommand::Kind::kDays:
            return ReportKind::kByDay;
        case cli::ReportCommand::Kind::kYear:
            return ReportKind::kByMonth;
        case cli::ReportCommand::Kind::kCalls:
            break;
    }
    return ReportKind::kByCall;
}

ReportFormat FormatOf(cli::ReportCommand::Format format) {
    switch (format) {
        case cli::ReportCommand::Format::kCsv:
            return ReportFormat::kCsv;
        case cli::ReportCommand::Format::kJson:
            return ReportFormat::kJson;
        case cli::ReportCommand::Format::kHtml:
            break;
    }
    return ReportFormat::kHtml;
}

// People read the page in their own number forms; programs read plain ones.
NumberFormat NumberFor(ReportFormat format) {
    return format == ReportFormat::kHtml ? NumberFormat(LocaleNumber) : NumberFormat(PlainNumber);
}

// Into the report folder under the report's own name, or into the file named.
Result<std::filesystem::path> Write(const LogReading& reading, const cli::ReportCommand& command,
                                    const Report& report) {
    const ReportFormat format = FormatOf(command.format);
    const NumberFormat number = NumberFor(format);
    if (!command.output) {
        return WriteReport(reading.Folder().root, report, format, number);
    }
    const Result<> written =
        WriteFileAtomically(*command.output, ComposeReport(report, format, number));
    if (!written) {
        return Result<std::filesystem::path>::Failure(written.Error());
    }
    return *command.output;
}

}  // namespace

int RunLogCommand(const cli::Options& options, const cli::LogCommand& command, std::ostream& out,
                  std::ostream& err) {
    return PrintListing(options, ReportKind::kByCall, command.selection, command.listing, out, err);
}

int RunTotalsCommand(const cli::Options& options, const cli::TotalsCommand& command,
                     std::ostream& out, std::ostream& err) {
    return PrintListing(options, command.byMonth ? ReportKind::kByMonth : ReportKind::kByDay,
                        command.selection, command.listing, out, err);
}

int RunReportCommand(const cli::Options& options, const cli::ReportCommand& command,
                     std::ostream& out, std::ostream& err) {
    LogReading reading(options);
    if (!reading.Open(err)) {
        return 1;
    }
    const ReportKind kind = KindOf(command.kind);
    const Report report = reading.Load(kind, command.selection);
    if (report.Empty()) {
        err << NothingToReportText(kind) << std::endl;
        return 1;
    }
    if (command.output && *command.output == "-") {
        const ReportFormat format = FormatOf(command.format);
        out << ComposeReport(report, format, NumberFor(format));
        return out ? 0 : 1;
    }
    const Result<std::filesystem::path> written = Write(reading, command, report);
    if (!written) {
        reading.Log().Write("report not written: " + written.Error());
        err << "vornik: 报表没有写成：" << written.Error() << std::endl;
        return 1;
    }
    out << written->string() << std::endl;
    return 0;
}

}  // namespace vornik::gui
