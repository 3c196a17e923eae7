// The reports menu: the page of the month the history shows, written into the
// program folder and opened in the desktop's browser (whatever keeps the page
// from the user is said, with the reason), and the tariff comparison.
#include <QDesktopServices>

#include "app/bill_dialog.h"
#include "app/history_view.h"
#include "app/locale_number.h"
#include "app/main_window.h"
#include "app/shell.h"
#include "reports/tariff_comparison_window.h"

namespace vornik::gui {

void Shell::WriteShownReport(ReportKind kind) {
    const Report report = session_.LoadShownReport(kind);
    if (report.Empty()) {
        ShowMessage(NothingToReportText(kind), [] {});
        return;
    }
    const auto written = WriteReport(parts_.folder.root, report, ReportFormat::kHtml, LocaleNumber);
    if (!written) {
        parts_.log.Write("report not written: " + written.Error());
        ShowMessage("报表没有写成：" + written.Error(), [] {});
        return;
    }
    const QString page = QString::fromStdString(written->string());
    if (!OpenUrl(QUrl::fromLocalFile(page))) {
        parts_.log.Write("report written but not opened: " + written->string());
        ShowMessage("报表已写入 " + written->string() + "，但没有能打开网页的程序。", [] {});
    }
}

// One window at a time: a second door brings the open one forward.
void Shell::OpenComparisonWindow() {
    for (TariffComparisonWindow* open : window_->findChildren<TariffComparisonWindow*>()) {
        if (open->isVisible()) {
            open->raise();
            open->activateWindow();
            return;
        }
    }
    auto* comparison = new TariffComparisonWindow(
        session_, parts_.db, QString::fromStdString(parts_.folder.root.string()), window_.get());
    comparison->setWindowFlag(Qt::Window);
    comparison->setAttribute(Qt::WA_DeleteOnClose);
    comparison->show();
}

// The month the history shows is the one the user most likely holds the bill of.
void Shell::OpenBillDialog() {
    auto* dialog = new BillDialog(
        {window_->History()->Year(), window_->History()->Month()}, session_.LearnsBillCorrection(),
        [this](const BillingMonth& month) { return session_.BillOf(month); }, window_.get());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, [this, dialog] {
        const Result<> saved =
            session_.SaveBill({dialog->Month(), dialog->Amount()}, dialog->LearnCorrection());
        if (!saved) {
            parts_.log.Write("bill not saved: " + saved.Error());
            ShowMessage("账单没有保存：" + saved.Error(), [] {});
        }
    });
    dialog->open();
}

bool Shell::OpenUrl(const QUrl& url) {
    return parts_.openUrl ? parts_.openUrl(url) : QDesktopServices::openUrl(url);
}

}  // namespace vornik::gui
