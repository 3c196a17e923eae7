// One instance per program folder. The instance that runs holds a kernel lock
// (flock) on vornik.lock in the folder: the kernel drops it with the process,
// however the process ends, and a lock file copied from another machine (a
// portable folder, a copied home) holds no lock at all, so such a file is simply
// taken over. The running instance listens on a local socket through which a
// second start asks it to come forward and learns whether it has a window, and
// through which `vornik rules import` asks it to load the rules again and
// `vornik status`, `dial` and `hangup` reach its session. The socket is a plain
// Unix one: the program runs on Qt Core alone.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QSocketNotifier;

namespace vornik::gui {

class SingleInstance : public QObject {
    Q_OBJECT
  public:
    enum class Outcome {
        kFirst,           // this process runs; the lock is held
        kAnotherRunning,  // the running instance answered; this one ends with 0
        kCannotStart,     // the lock cannot be taken; `message` says why
    };
    struct Claimed {
        Outcome outcome = Outcome::kCannotStart;
        // Whether the running instance brought its window forward.
        bool windowShown = false;
        // For the user (Chinese); empty for the first instance.
        QString message;
    };

    // `hasWindow`: a second start is told whether this instance has a window to
    // bring forward. `trace` receives failures the user is spared.
    SingleInstance(const QString& programFolder, bool hasWindow,
                   std::function<void(const std::string&)> trace = {}, QObject* parent = nullptr);
    // Removes the lock file and releases the lock.
    ~SingleInstance() override;

    Claimed Claim();

    // What a running instance of the folder said when asked to load its rules
    // again; it answers once they are loaded.
    enum class ReloadAnswer { kNoneRunning, kReloaded, kNoAnswer };
    static ReloadAnswer AskToReloadRules(const QString& programFolder);

    // The session's answer to a command (`verb` is status, dial, hangup,
    // log-compact or log-restore; the argument is what follows it): one line,
    // without its line end, given to the reply when it is known, which may be
    // after a long log operation.
    using Reply = std::function<void(const std::string& answer)>;
    using CommandHandler =
        std::function<void(const std::string& verb, const std::string& argument, Reply reply)>;
    void SetCommandHandler(CommandHandler handler) { commandHandler_ = std::move(handler); }
    // Sends a command to the running instance of the folder. Nothing when none
    // runs; the empty text when it did not answer within `waitMs`.
    static constexpr int kCommandWaitMs = 10'000;
    static std::optional<std::string> AskCommand(const QString& programFolder,
                                                 const std::string& verb,
                                                 const std::string& argument = {},
                                                 int waitMs = kCommandWaitMs);

  signals:
    void activationRequested();
    // Another process changed the rules in the log.
    void rulesReloadRequested();

  private:
    enum class LockTry { kTaken, kHeld, kFailed };
    LockTry TryLock(QString& failure);
    bool WriteOwner(QString& failure);
    void Listen();
    void Answer(int client);
    // The running instance's answer: "window", "terminal", or empty when none came.
    QByteArray AskOwner(int waitMs);
    // Someone holds the lock: an instance runs, or is just starting or leaving.
    bool LockHeld() const;
    QString OwnerDescription() const;

    QString folder_;
    QString lockPath_;
    QString serverName_;
    bool hasWindow_;
    std::function<void(const std::string&)> trace_;
    CommandHandler commandHandler_;
    int lockFd_ = -1;
    int serverFd_ = -1;
    QSocketNotifier* server_ = nullptr;
};

}  // namespace vornik::gui
