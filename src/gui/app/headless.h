// The session without windows: on a terminal the status is printed once a
// second; into a file or a pipe only what changes (the status line, messages, the
// start and the end). A message is printed and counts as read, the idle question
// is answered with the hang-up, and SIGINT, SIGTERM, SIGHUP or SIGQUIT leave in
// the orderly way. When the output goes away (a closed pipe, a closed terminal)
// printing stops and the metering goes on.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <iosfwd>

#include "app/program_start.h"
#include "app/session.h"
#include "app/tick_driver.h"
#include "app/user_interface.h"

namespace vornik::gui {

struct HeadlessParts {
    Dbio& db;
    Dialer& dialer;
    LinkProbe& probe;
    const Clock& clock;
    std::ostream& out;
    QString backendNote;
    // Someone watches the output: the status block is worth composing every
    // second. A log file or a pipe gets only what changes.
    bool outputIsTerminal = true;
};

class HeadlessShell : public QObject, public UserInterface {
    Q_OBJECT
  public:
    explicit HeadlessShell(HeadlessParts parts);

    void Start();
    void ExitApp();
    // The rules in the log were changed from outside: they are in force from now.
    void ReloadRules();
    Session& CoreSession() { return session_; }

    void ShowDialStatus(const std::string& line) override;
    void PlaySound(Sound) override {}
    void ShowLinkIcons(LinkIcons) override {}
    void ShowMenuStates(const MenuStates&) override {}
    void ShowHistory(const MonthHistory&) override {}
    void ShowLiveFigures(const LiveFigures& figures) override;
    bool LiveFiguresShown() const override { return parts_.outputIsTerminal && !outputLost_; }
    void ShowEntryList(const std::vector<std::string>& names) override;
    void ShowEntry(const std::string&) override {}
    void ShowCredentials(const std::string&, const std::string&) override {}
    void ShowMessage(const std::string& text, std::function<void()> closed) override;
    void AskOkCancel(const std::string& question, std::function<void(bool ok)> answer) override;

  signals:
    // The program's exit code: 0 when every call's record is in the log.
    void exited(int code);

  private:
    // Writes through `print` unless the output is gone; the first failed write
    // ends the printing for good and goes to the error log.
    void Print(const std::function<void(std::ostream&)>& print);

    HeadlessParts parts_;
    Session session_;
    TickDriver ticks_;
    std::string dialStatus_;
    std::string lastMessage_;
    bool exited_ = false;
    bool outputLost_ = false;
};

// The terminal's way of running the session: the headless shell, its status
// block only when stdout is a terminal.
class HeadlessFront : public Front {
  public:
    bool HasWindow() const override { return false; }
    int Run(StartedParts& parts) override;
};

// Turns SIGINT, SIGTERM, SIGHUP (the terminal closed) and SIGQUIT into a call of
// `leave` on the event loop, so a running call is written before the program
// ends. SIGPIPE is ignored: a reader of the output that goes away, or a display
// server that dies, must not end the program with its call unwritten.
void LeaveOnTerminationSignals(QObject* owner, std::function<void()> leave);

}  // namespace vornik::gui
