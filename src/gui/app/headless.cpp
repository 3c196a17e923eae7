#include "app/headless.h"

#include <sys/socket.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <iostream>
#include <ostream>

#include "app/status_display.h"

namespace vornik::gui {
namespace {

int signalPipe[2] = {-1, -1};

void ForwardSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const auto written = write(signalPipe[1], &byte, 1);
}

}  // namespace

HeadlessShell::HeadlessShell(HeadlessParts parts)
    : parts_(std::move(parts)),
      session_(parts_.db, parts_.dialer, parts_.clock, *this, parts_.probe),
      ticks_([this] { session_.MainTick(); }, [this] { session_.MinuteTick(); }, parts_.dialer) {}

void HeadlessShell::Start() {
    Print([this](std::ostream& out) {
        out << "Vornik " << parts_.backendNote.toStdString() << std::endl;
    });
    ticks_.Start();
    session_.StartUp();
    session_.AutoDial();
}

void HeadlessShell::Print(const std::function<void(std::ostream&)>& print) {
    if (outputLost_) {
        return;
    }
    print(parts_.out);
    if (!parts_.out) {
        outputLost_ = true;
        parts_.db.Log().Write(
            "headless output failed (its reader went away or the terminal closed): the status is "
            "no longer printed, the metering goes on");
    }
}

void HeadlessShell::ShowLiveFigures(const LiveFigures& figures) {
    const StatusText status = ComposeStatusText(figures.call, figures.fee.callFee, figures.totals,
                                                figures.connected, PlainNumber);
    const SpeedMeter& speed = figures.speed;
    Print([&](std::ostream& out) {
        out << "---- " << MomentText(parts_.clock.Now()) << "  " << parts_.backendNote.toStdString()
            << "  " << figures.entryName << '\n'
            << dialStatus_ << '\n'
            << status.text << '\n'
            << SpeedText(speed.NewestDown(), speed.NewestUp(), PlainNumber) << std::endl;
    });
}

void HeadlessShell::ExitApp() {
    if (exited_) {
        return;
    }
    exited_ = true;
    ticks_.Stop();
    const Result<bool> saved = session_.CloseForExit();
    Print([&saved](std::ostream& out) {
        if (!saved) {
            out << "Vornik: 已退出，但拨号记录没有保存：" << saved.Error() << std::endl;
        } else if (saved.Value()) {
            out << "Vornik: 已退出，拨号记录已保存" << std::endl;
        } else {
            out << "Vornik: 已退出" << std::endl;
        }
    });
    emit exited(saved ? 0 : 1);
}

void HeadlessShell::ReloadRules() {
    session_.ReloadRules();
    Print([](std::ostream& out) { out << "Vornik: 已载入新的规则" << std::endl; });
}

void HeadlessShell::ShowDialStatus(const std::string& line) {
    dialStatus_ = line;
    lastMessage_.clear();
    Print([&line](std::ostream& out) { out << line << std::endl; });
}

void HeadlessShell::ShowEntryList(const std::vector<std::string>& names) {
    Print([&names](std::ostream& out) {
        out << "连接:";
        for (const std::string& name : names) {
            out << " [" << name << ']';
        }
        out << std::endl;
    });
}

// A message counts as read once printed. One that comes again and again (a limit
// alert repeats every second) is printed once until something else is shown.
void HeadlessShell::ShowMessage(const std::string& text, std::function<void()> closed) {
    if (text != lastMessage_) {
        Print([&text](std::ostream& out) { out << "消息: " << text << std::endl; });
        lastMessage_ = text;
    }
    closed();
}

// No one is there to answer: an idle link is hung up.
void HeadlessShell::AskOkCancel(const std::string& question, std::function<void(bool)> answer) {
    Print([&question](std::ostream& out) { out << question << " -> 确定" << std::endl; });
    answer(true);
}

int HeadlessFront::Run(StartedParts& parts) {
    HeadlessShell shell({parts.db, *parts.chosen.dialer, parts.probe, parts.clock, std::cout,
                         parts.chosen.note, isatty(STDOUT_FILENO) == 1});
    QObject::connect(&shell, &HeadlessShell::exited, QCoreApplication::instance(),
                     &QCoreApplication::exit);
    QObject::connect(&parts.instance, &SingleInstance::rulesReloadRequested, &shell,
                     &HeadlessShell::ReloadRules);
    LeaveOnTerminationSignals(&shell, [&shell] { shell.ExitApp(); });
    shell.Start();
    return QCoreApplication::exec();
}

void LeaveOnTerminationSignals(QObject* owner, std::function<void()> leave) {
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0) {
        return;
    }
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, owner);
    QObject::connect(notifier, &QSocketNotifier::activated, owner,
                     [notifier, leave = std::move(leave)] {
                         char byte = 0;
                         [[maybe_unused]] const auto got = read(signalPipe[0], &byte, 1);
                         notifier->setEnabled(false);
                         leave();
                     });
    struct sigaction action {};
    action.sa_handler = ForwardSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
        // Started with nohup, or in the background by a shell without job control,
        // the program was asked to ignore these; SIGTERM always counts.
        struct sigaction inherited {};
        if (signal != SIGTERM && sigaction(signal, nullptr, &inherited) == 0 &&
            inherited.sa_handler == SIG_IGN) {
            continue;
        }
        sigaction(signal, &action, nullptr);
    }
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGPIPE, &ignore, nullptr);
}

}  // namespace vornik::gui
