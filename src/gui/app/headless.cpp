#include "app/headless.h"

#include <sys/socket.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <iostream>
#include <ostream>

#include "app/live_status.h"
#include "commands/instance_requests.h"
#include "maintenance/log_job_runner.h"

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
      logJobs_(std::make_unique<LogJobRunner>(session_, parts_.db)),
      ticks_([this] { session_.MainTick(); }, [this] { MinuteTick(); }, parts_.dialer) {}

HeadlessShell::~HeadlessShell() = default;

void HeadlessShell::Start() {
    PrintEvent("start", "Vornik " + parts_.backendNote.toStdString());
    ticks_.Start();
    session_.StartUp();
    // The first status comes at the end of the start, not a tick later; on a
    // terminal the session's first step has drawn it already.
    if (parts_.output != HeadlessOutput::kTerminal) {
        PrintStatus();
    }
    session_.AutoDial();
}

void HeadlessShell::MinuteTick() {
    session_.MinuteTick();
    if (parts_.output != HeadlessOutput::kTerminal) {
        PrintStatus();
    }
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

void HeadlessShell::PrintEvent(const char* kind, const std::string& text,
                               const std::function<void(JsonWriter&)>& fields) {
    if (parts_.output == HeadlessOutput::kJsonLines) {
        JsonWriter json(0);
        json.BeginObject();
        json.Key("event").String(kind);
        json.Key("time").String(IsoLocalText(parts_.clock.Now()));
        json.Key("text").String(text);
        if (fields) {
            fields(json);
        }
        json.EndObject();
        Print([&json](std::ostream& out) { out << json.Text() << std::flush; });
        return;
    }
    // On a terminal the event takes the status line's place, and the status line
    // is drawn again below it.
    const bool terminal = parts_.output == HeadlessOutput::kTerminal;
    Print([&](std::ostream& out) {
        out << (terminal ? "\r\x1b[K" : "") << text << '\n'
            << (terminal ? statusLine_ : "") << std::flush;
    });
}

void HeadlessShell::PrintStatus() {
    const LiveFigures figures = session_.Figures();
    const Moment now = parts_.clock.Now();
    switch (parts_.output) {
        case HeadlessOutput::kTerminal:
            statusLine_ = CompactStatusLine(figures, now, PlainNumber);
            Print([this](std::ostream& out) {
                out << "\r" << statusLine_ << "\x1b[K" << std::flush;
            });
            break;
        case HeadlessOutput::kLines:
            Print([&](std::ostream& out) {
                out << CompactStatusLine(figures, now, PlainNumber) << std::endl;
            });
            break;
        case HeadlessOutput::kJsonLines: {
            JsonWriter json(0);
            json.BeginObject();
            json.Key("event").String("status");
            WriteLiveStatus(json, figures, now);
            json.EndObject();
            Print([&json](std::ostream& out) { out << json.Text() << std::flush; });
            break;
        }
    }
}

void HeadlessShell::ShowLiveFigures(const LiveFigures&) {
    PrintStatus();
}

void HeadlessShell::ExitApp() {
    if (exited_) {
        return;
    }
    exited_ = true;
    ticks_.Stop();
    logJobs_->Wait();
    const Result<bool> saved = session_.CloseForExit();
    // The last status stays on the terminal, above the farewell.
    statusLine_.clear();
    if (parts_.output == HeadlessOutput::kTerminal) {
        Print([](std::ostream& out) { out << '\n'; });
    }
    std::string text = "Vornik: 已退出";
    if (!saved) {
        text += "，但拨号记录没有保存：" + saved.Error();
    } else if (saved.Value()) {
        text += "，拨号记录已保存";
    }
    PrintEvent("exit", text, [&saved](JsonWriter& json) { json.Key("saved").Bool(saved.Ok()); });
    emit exited(saved ? 0 : 1);
}

void HeadlessShell::ReloadRules() {
    session_.ReloadRules();
    PrintEvent("rules", "Vornik: 已载入新的规则");
}

void HeadlessShell::ShowDialStatus(const std::string& line) {
    lastMessage_.clear();
    PrintEvent("state", line);
}

void HeadlessShell::ShowEntryList(const std::vector<std::string>& names) {
    std::string text = "连接:";
    for (const std::string& name : names) {
        text += " [" + name + "]";
    }
    PrintEvent("entries", text, [&names](JsonWriter& json) {
        json.Key("names").BeginArray();
        for (const std::string& name : names) {
            json.String(name);
        }
        json.EndArray();
    });
}

// A message counts as read once printed. One that comes again and again (a limit
// alert repeats every second) is printed once until something else is shown.
void HeadlessShell::ShowMessage(const std::string& text, std::function<void()> closed) {
    if (text != lastMessage_) {
        PrintEvent("message", "消息: " + text,
                   [&text](JsonWriter& json) { json.Key("message").String(text); });
        lastMessage_ = text;
    }
    closed();
}

void HeadlessShell::ShowNotice(const std::string& text) {
    PrintEvent("notice", "提示: " + text,
               [&text](JsonWriter& json) { json.Key("notice").String(text); });
}

// No one is there to answer: an idle link is hung up.
void HeadlessShell::AskOkCancel(const std::string& question, std::function<void(bool)> answer) {
    PrintEvent("question", question + " -> 确定", [&question](JsonWriter& json) {
        json.Key("question").String(question);
        json.Key("answer").String("ok");
    });
    answer(true);
}

int HeadlessFront::Run(StartedParts& parts) {
    HeadlessOutput output = HeadlessOutput::kLines;
    if (jsonLines_) {
        output = HeadlessOutput::kJsonLines;
    } else if (isatty(STDOUT_FILENO) == 1) {
        output = HeadlessOutput::kTerminal;
    }
    HeadlessShell shell({parts.db, *parts.chosen.dialer, parts.probe, parts.clock, std::cout,
                         parts.chosen.note, output});
    QObject::connect(&shell, &HeadlessShell::exited, QCoreApplication::instance(),
                     &QCoreApplication::exit);
    QObject::connect(&parts.instance, &SingleInstance::rulesReloadRequested, &shell,
                     &HeadlessShell::ReloadRules);
    parts.instance.SetCommandHandler([&shell, &parts](const std::string& verb,
                                                      const std::string& argument,
                                                      SingleInstance::Reply reply) {
        AnswerInstanceRequest({shell.CoreSession(), shell.LogJobs(), parts.clock}, verb, argument,
                              std::move(reply));
    });
    LeaveOnTerminationSignals(&shell, [&shell] { shell.ExitApp(); });
    shell.Start();
    const int code = QCoreApplication::exec();
    parts.instance.SetCommandHandler({});
    return code;
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
