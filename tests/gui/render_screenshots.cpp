// Renders the main window with its history, the floating window, the tray menu
// and the options dialog into PNG files, in the middle of a simulated call, in the
// skin 青涩年华 and again in 黑色金属, and the month's report by call as Qt's rich
// text draws it: the pictures the README shows. Run under a real X server
// (scripts/screenshots.sh uses Xvfb).
#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QTest>
#include <QTextDocument>
#include <QUrl>
#include <iostream>

#include "app/float_window.h"
#include "app/main_window.h"
#include "app/prompter.h"
#include "app/resource_locator.h"
#include "app/shell.h"
#include "app/skin_menu.h"
#include "app/skins.h"
#include "base/setting_keys.h"
#include "dialer/simulated_dialer.h"
#include "reports/tariff_comparison_window.h"
#include "settings/options_dialog.h"
#include "support/fake_clock.h"
#include "support/fake_probe.h"
#include "support/temp_folder.h"

namespace {

using namespace vornik;

void LogEarlierCalls(Dbio& db) {
    for (int day = 22; day <= 30; day += 2) {
        const Moment begin{2026, 11, day, 19, 5 + day, 0};
        db.ExecuteSql(
            "INSERT INTO diallog (beginTime, endTime, entryName, deviceType, IpAddress, BytesIn,"
            " BytesOut, fee) VALUES (?, ?, '模拟ADSL', 'PPPoE (模拟)', '198.51.100.23', ?, ?, ?)",
            {MomentText(begin), MomentText(AddSeconds(begin, 1800 + day * 60)),
             std::int64_t{38'000'000} + day * 1'000'000, std::int64_t{4'100'000} + day * 10'000,
             0.05 * (30 + day)});
    }
}

bool Save(QWidget& widget, const QDir& folder, const QString& name) {
    const QString file = folder.filePath(name);
    if (!widget.grab().save(file)) {
        std::cerr << "cannot write " << file.toStdString() << '\n';
        return false;
    }
    std::cout << file.toStdString() << '\n';
    return true;
}

// The page as a browser would show it, near enough: white, 820 pixels wide.
bool SavePage(const QUrl& page, const QDir& folder, const QString& name) {
    QFile html(page.toLocalFile());
    if (!html.open(QIODevice::ReadOnly)) {
        std::cerr << "no report page at " << page.toString().toStdString() << '\n';
        return false;
    }
    QTextDocument document;
    document.setHtml(QString::fromUtf8(html.readAll()));
    document.setTextWidth(820);
    QImage image(document.size().toSize(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    // A browser's black on white, not the skin's colours.
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette.setColor(QPalette::Text, Qt::black);
    document.documentLayout()->draw(&painter, context);
    painter.end();
    const QString file = folder.filePath(name);
    if (!image.save(file)) {
        std::cerr << "cannot write " << file.toStdString() << '\n';
        return false;
    }
    std::cout << file.toStdString() << '\n';
    return true;
}

// Both windows' pictures and the tray menu.
bool SaveWindows(gui::Shell& shell, const QDir& out, const QString& suffix) {
    bool ok = Save(shell.Window(), out, QStringLiteral("main-window%1.png").arg(suffix));
    ok = Save(shell.Float(), out, QStringLiteral("floating-window%1.png").arg(suffix)) && ok;
    QMenu* tray = shell.Window().TrayMenu();
    tray->popup(QPoint(0, 0));
    QTest::qWait(300);
    ok = Save(*tray, out, QStringLiteral("tray-menu%1.png").arg(suffix)) && ok;
    tray->close();
    shell.Run(gui::Command::kRuleSettings);
    QTest::qWait(300);
    for (gui::OptionsDialog* options : shell.Window().findChildren<gui::OptionsDialog*>()) {
        ok = Save(*options, out, QStringLiteral("options-dialog%1.png").arg(suffix)) && ok;
        options->reject();
    }
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));
    gui::InitResources();
    testing::TempFolder folder;
    ErrorLog log(folder / "log/error.log");
    Dbio db(folder / "db/diallog.db", log);
    db.OpenDatabase();
    db.SaveConfig(keys::kLastEntry, "模拟ADSL");
    db.SaveConfig(keys::kJishiFee, "3");
    db.SaveConfig(keys::kShowFloatWin, "1");
    // 包时 values for the comparison: 20 hours a month for 30, then 2 an hour.
    db.SaveConfig(keys::kBaoshiFee, "30");
    db.SaveConfig(keys::kBaoshiTime, "20");
    db.SaveConfig(keys::kBaoshiTimeOutFee, "2");
    LogEarlierCalls(db);

    testing::FakeClock clock({2026, 12, 6, 20, 15, 0});
    SimulatedDialer dialer(clock, folder / "simulated-phonebook.txt");
    testing::FakeProbe probe;
    gui::MessageBoxPrompter prompter;
    QUrl opened;
    gui::Shell shell({{folder.Path()},
                      db,
                      log,
                      dialer,
                      probe,
                      clock,
                      prompter,
                      false,
                      QStringLiteral("模拟拨号（演示）：不会建立真实连接"),
                      false,
                      [&opened](const QUrl& page) {
                          opened = page;
                          return true;
                      },
                      false});
    shell.Start();
    shell.Window().ToggleHistory();
    shell.Run(gui::Command::kDial);
    for (int second = 0; second < 200; ++second) {
        clock.Advance(1);
        dialer.Poll();
        shell.MainTick();
        if (second % 60 == 59) {
            shell.MinuteTick();
        }
    }
    QTest::qWait(300);
    bool ok = SaveWindows(shell, out, QString());
    shell.Skins().Choose(gui::kDarkMetal);
    QTest::qWait(300);
    ok = SaveWindows(shell, out, QStringLiteral("-dark-metal")) && ok;
    shell.Run(gui::Command::kCompareTariffs);
    QTest::qWait(300);
    for (auto* comparison : shell.Window().findChildren<gui::TariffComparisonWindow*>()) {
        comparison->Source()->setCurrentIndex(0);  // 包时 at the user's own values
        QTest::qWait(300);
        ok = Save(*comparison, out, QStringLiteral("tariff-comparison-dark-metal.png")) && ok;
        comparison->close();
    }
    shell.Run(gui::Command::kReportByCall);
    ok = !opened.isEmpty() && SavePage(opened, out, QStringLiteral("report-page.png")) && ok;
    shell.ExitApp();
    return ok ? 0 : 1;
}
