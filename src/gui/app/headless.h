// The session without windows. Events (the dial's states, connected, errors,
// alerts, the hang-up) are printed as they happen; on a terminal one status line
// is rewritten in place every second, into a file or a pipe a compact status
// line comes once a minute, and for programs each event and each minute is one
// JSON object on a line of its own. A message is printed and counts as read, the
// idle question is answered with the hang-up, and SIGINT, SIGTERM, SIGHUP or
// SIGQUIT leave in the orderly way. When the output goes away (a closed pipe, a
// closed terminal) printing stops and the metering goes on.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <iosfwd>
#include <memory>

#include "app/program_start.h"
#include "app/session.h"
#include "app/tick_driver.h"
#include "app/user_interface.h"
#include "base/json_writer.h"

namespace vornik::gui {

enum class HeadlessOutput {
    kTerminal,  // someone watches: the status line every second, in place
    kLines,     // a log file or a pipe: events, and the status once a minute
    kJsonLines  // programs: one JSON object per event and per minute
};

struct HeadlessParts {
    Dbio& db;
    Dialer& dialer;
    LinkProbe& probe;
    const Clock& clock;
    std::ostream& out;
    QString backendNote;
    HeadlessOutput output = HeadlessOutput::kTerminal;
};

class LogJobRunner;

class HeadlessShell : public QObject, public UserInterface {
    Q_OBJECT
  public:
    explicit HeadlessShell(HeadlessParts parts);
    ~HeadlessShell() override;

    void Start();
    // The session's minute, and the status line or object of the minute.
    void MinuteTick();
    void ExitApp();
    // The rules in the log were changed from outside: they are in force from now.
    void ReloadRules();
    Session& CoreSession() { return session_; }
    LogJobRunner& LogJobs() { return *logJobs_; }

    void ShowDialStatus(const std::string& line) override;
    void PlaySound(Sound) override {}
    void ShowLinkIcons(LinkIcons) override {}
    void ShowMenuStates(const MenuStates&) override {}
    void ShowHistory(const MonthHistory&) override {}
    void ShowLiveFigures(const LiveFigures& figures) override;
    bool LiveFiguresShown() const override {
        return parts_.output == HeadlessOutput::kTerminal && !outputLost_;
    }
    void ShowEntryList(const std::vector<std::string>& names) override;
    void ShowEntry(const std::string&) override {}
    void ShowCredentials(const std::string&, const std::string&) override {}
    void ShowMessage(const std::string& text, std::function<void()> closed) override;
    void AskOkCancel(const std::string& question, std::function<void(bool ok)> answer) override;
    void ShowNotice(const std::string& text) override;

  signals:
    // The program's exit code: 0 when every call's record is in the log.
    void exited(int code);

  private:
    // Writes through `print` unless the output is gone; the first failed write
    // ends the printing for good and goes to the error log.
    void Print(const std::function<void(std::ostream&)>& print);
    // One event: `text` for people, or a JSON object of `kind` with the text and
    // what `fields` adds.
    void PrintEvent(const char* kind, const std::string& text,
                    const std::function<void(JsonWriter&)>& fields = {});
    // The status: in place on a terminal, else one line or one JSON object.
    void PrintStatus();

    HeadlessParts parts_;
    Session session_;
    std::unique_ptr<LogJobRunner> logJobs_;
    TickDriver ticks_;
    std::string lastMessage_;
    // The status line on the terminal, drawn again under each event.
    std::string statusLine_;
    bool exited_ = false;
    bool outputLost_ = false;
};

// The terminal's way of running the session: the headless shell, its status
// line every second only when stdout is a terminal.
class HeadlessFront : public Front {
  public:
    explicit HeadlessFront(bool jsonLines = false) : jsonLines_(jsonLines) {}
    bool HasWindow() const override { return false; }
    int Run(StartedParts& parts) override;

  private:
    bool jsonLines_;
};

// Turns SIGINT, SIGTERM, SIGHUP (the terminal closed) and SIGQUIT into a call of
// `leave` on the event loop, so a running call is written before the program
// ends. SIGPIPE is ignored: a reader of the output that goes away, or a display
// server that dies, must not end the program with its call unwritten.
void LeaveOnTerminationSignals(QObject* owner, std::function<void()> leave);

}  // namespace vornik::gui
