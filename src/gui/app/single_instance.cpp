#include "app/single_instance.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QThread>
#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace vornik::gui {
namespace {

// A running instance answers at once once its event loop runs; before that it
// may still be opening the log. Longer than that, it is stopped or hung.
constexpr int kAnswerWaitMs = 10'000;

QString ServerNameFor(const QString& folder) {
    const QFileInfo info(folder);
    const QString path = info.exists() ? info.canonicalFilePath() : info.absoluteFilePath();
    const QByteArray hash = QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha1);
    // The user's runtime folder is private to the user and cleaned at logout; the
    // temporary folder is Qt's own choice for a bare name.
    QString dir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (dir.isEmpty() || !QFileInfo(dir).isDir()) {
        dir = QDir::tempPath();
    }
    return dir + QStringLiteral("/vornik-") + QString::fromLatin1(hash.toHex().left(16));
}

QString ErrnoText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

QString CannotStart(const QString& why) {
    return QCoreApplication::translate("vornik::gui::SingleInstance", "Vornik 无法启动：") + why;
}

// Why the lock file could not be opened or written, in the user's words.
QString LockFailureText(int error, const QString& folder, const QString& lockPath) {
    switch (error) {
        case EISDIR:
            return CannotStart(
                QCoreApplication::translate(
                    "vornik::gui::SingleInstance",
                    "程序文件夹中的 %1 是一个文件夹，不是锁文件。请把它删除或改名后再启动。")
                    .arg(lockPath));
        case EROFS:
            return CannotStart(
                QCoreApplication::translate("vornik::gui::SingleInstance",
                                            "程序文件夹 %1 在只读的文件系统上，无法写入锁文件和拨号"
                                            "记录。请用 --root 指定一个可写的文件夹。")
                    .arg(folder));
        case EACCES:
        case EPERM:
            return CannotStart(QCoreApplication::translate(
                                   "vornik::gui::SingleInstance",
                                   "没有写入程序文件夹 %1 的权限（%2），无法写入锁文件和拨号"
                                   "记录。请用 --root 指定一个可写的文件夹。")
                                   .arg(folder, ErrnoText(error)));
        case ENOSPC:
        case EDQUOT:
            return CannotStart(QCoreApplication::translate(
                                   "vornik::gui::SingleInstance",
                                   "程序文件夹 %1 所在的磁盘已满（%2），无法写入锁文件。请腾出"
                                   "空间后再启动。")
                                   .arg(folder, ErrnoText(error)));
        default:
            return CannotStart(
                QCoreApplication::translate("vornik::gui::SingleInstance", "无法写入锁文件 %1：%2")
                    .arg(lockPath, ErrnoText(error)));
    }
}

// The socket's address; false when the path does not fit into one.
bool SocketAddress(const QString& name, sockaddr_un& address) {
    const QByteArray path = QFile::encodeName(name);
    address = {};
    address.sun_family = AF_UNIX;
    if (path.size() >= static_cast<qsizetype>(sizeof address.sun_path)) {
        return false;
    }
    std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
    return true;
}

// Waits up to `waitMs` for `fd` to be ready for `events`.
bool Ready(int fd, short events, qint64 waitMs) {
    pollfd ready{fd, events, 0};
    int got = 0;
    do {
        got = ::poll(&ready, 1, static_cast<int>(std::max<qint64>(waitMs, 0)));
    } while (got < 0 && errno == EINTR);
    return got > 0;
}

bool WriteAll(int fd, const QByteArray& data) {
    qsizetype done = 0;
    while (done < data.size()) {
        const ssize_t written = ::pwrite(fd, data.constData() + done,
                                         static_cast<std::size_t>(data.size() - done), done);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            if (written == 0) {
                errno = EIO;
            }
            return false;
        }
        done += written;
    }
    return true;
}

// The answer may be longer than a socket takes at once: what is left waits until
// the socket takes more, a short while at most.
void SendAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t sent = ::send(fd, data.data(), data.size(), MSG_NOSIGNAL);
        if (sent < 0 && (errno == EAGAIN || errno == EINTR)) {
            if (!Ready(fd, POLLOUT, 1000)) {
                return;
            }
            continue;
        }
        if (sent <= 0) {
            return;
        }
        data.remove_prefix(static_cast<std::size_t>(sent));
    }
}

constexpr char kShowRequest[] = "show\n";
constexpr char kReloadRulesRequest[] = "reload-rules\n";
constexpr std::array<std::string_view, 5> kCommandVerbs = {"status", "dial", "hangup",
                                                           "log-compact", "log-restore"};

// "dial 宽带\n" as the verb and its argument; nothing when it is no command.
std::optional<std::pair<std::string, std::string>> CommandOf(const QByteArray& request) {
    const std::string line = request.left(request.indexOf('\n')).toStdString();
    const std::size_t blank = line.find(' ');
    std::string verb = line.substr(0, blank);
    if (std::find(kCommandVerbs.begin(), kCommandVerbs.end(), verb) == kCommandVerbs.end()) {
        return std::nullopt;
    }
    return std::pair(std::move(verb), blank == std::string::npos ? "" : line.substr(blank + 1));
}

// Sends `request` to the instance listening on `serverName` and returns the
// first line of its answer, or empty when none came within `waitMs`.
QByteArray Ask(const QString& serverName, std::string_view request, int waitMs) {
    const QDeadlineTimer deadline(std::max(waitMs, 500));
    sockaddr_un address{};
    if (!SocketAddress(serverName, address)) {
        return {};
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        return {};
    }
    QByteArray answer;
    // A full backlog is an owner that does not take calls now; the caller asks again.
    const bool connected =
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    if (connected && ::send(fd, request.data(), request.size(), MSG_NOSIGNAL) ==
                         static_cast<ssize_t>(request.size())) {
        // The owner may take long over a request (a restore of a big log on a
        // busy machine): the answer is waited for until the deadline.
        while (!answer.contains('\n') && !deadline.hasExpired() &&
               Ready(fd, POLLIN, deadline.remainingTime())) {
            char buffer[64];
            const ssize_t got = ::read(fd, buffer, sizeof buffer);
            if (got <= 0) {
                break;
            }
            answer.append(buffer, got);
        }
    }
    ::close(fd);
    if (!answer.contains('\n')) {
        return {};
    }
    return answer.left(answer.indexOf('\n')).trimmed();
}

}  // namespace

SingleInstance::SingleInstance(const QString& programFolder, bool hasWindow,
                               std::function<void(const std::string&)> trace, QObject* parent)
    : QObject(parent),
      folder_(QDir(programFolder).absolutePath()),
      lockPath_(QDir(programFolder).filePath(QStringLiteral("vornik.lock"))),
      serverName_(ServerNameFor(programFolder)),
      hasWindow_(hasWindow),
      trace_(std::move(trace)) {}

SingleInstance::~SingleInstance() {
    if (serverFd_ >= 0) {
        delete server_;
        ::close(serverFd_);
        ::unlink(QFile::encodeName(serverName_).constData());
    }
    if (lockFd_ >= 0) {
        // Removed while still locked: a start that opened the old file finds that
        // it is no longer the one named vornik.lock and opens again.
        ::unlink(QFile::encodeName(lockPath_).constData());
        ::close(lockFd_);
    }
}

SingleInstance::Claimed SingleInstance::Claim() {
    const QDeadlineTimer deadline(kAnswerWaitMs);
    for (;;) {
        QString failure;
        switch (TryLock(failure)) {
            case LockTry::kTaken:
                if (!WriteOwner(failure)) {
                    return {Outcome::kCannotStart, false, failure};
                }
                Listen();
                return {Outcome::kFirst, false, {}};
            case LockTry::kFailed:
                return {Outcome::kCannotStart, false, failure};
            case LockTry::kHeld:
                break;
        }
        const QString owner = OwnerDescription();
        const QByteArray answer = AskOwner(static_cast<int>(deadline.remainingTime()));
        if (answer == "window") {
            return {Outcome::kAnotherRunning, true,
                    QCoreApplication::translate(
                        "vornik::gui::SingleInstance",
                        "Vornik 已在运行（程序文件夹 %1），已把它的窗口调到前面。")
                        .arg(folder_)};
        }
        if (!answer.isEmpty()) {
            return {Outcome::kAnotherRunning, false,
                    QCoreApplication::translate(
                        "vornik::gui::SingleInstance",
                        "Vornik 已在运行（程序文件夹 %1，%2），它在终端中运行，没有窗口"
                        "可以调到前面。要结束它，请在它的终端中按 Ctrl-C。")
                        .arg(folder_, owner)};
        }
        if (deadline.hasExpired()) {
            return {Outcome::kCannotStart, false,
                    CannotStart(QCoreApplication::translate(
                                    "vornik::gui::SingleInstance",
                                    "程序文件夹 %1 被另一个进程（%2）锁定，但它没有应答："
                                    "它可能已停住，或在另一台计算机上使用这个文件夹。请"
                                    "先结束它再启动。")
                                    .arg(folder_, owner))};
        }
        // The owner may be leaving, or just starting and not yet listening.
        QThread::msleep(200);
    }
}

SingleInstance::LockTry SingleInstance::TryLock(QString& failure) {
    const QByteArray path = QFile::encodeName(lockPath_);
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        failure = LockFailureText(errno, folder_, lockPath_);
        return LockTry::kFailed;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK) {
            return LockTry::kHeld;
        }
        failure = LockFailureText(error, folder_, lockPath_);
        return LockTry::kFailed;
    }
    // A leaving instance removes the file it locked: the lock counts only on the
    // file that still bears the name.
    struct stat opened {};
    struct stat named {};
    if (::fstat(fd, &opened) != 0 || ::stat(path.constData(), &named) != 0 ||
        opened.st_dev != named.st_dev || opened.st_ino != named.st_ino) {
        ::close(fd);
        return LockTry::kHeld;
    }
    lockFd_ = fd;
    return LockTry::kTaken;
}

// The owner's process and machine, for whoever finds the file. What an earlier
// owner left there (or any garbage) is replaced; a clean exit removes the file,
// so anything found here was left by a run that did not end in order, or came
// with a copied folder.
bool SingleInstance::WriteOwner(QString& failure) {
    char left[256] = {};
    if (const ssize_t got = ::pread(lockFd_, left, sizeof left - 1, 0); got > 0 && trace_) {
        trace_("took over vornik.lock left by an earlier run: " +
               QString::fromUtf8(left, got).simplified().toStdString());
    }
    char host[256] = {};
    ::gethostname(host, sizeof host - 1);
    const QByteArray content =
        QByteArray::number(static_cast<qint64>(::getpid())) + "\nVornik\n" + host + '\n';
    if (::ftruncate(lockFd_, 0) != 0 || !WriteAll(lockFd_, content) || ::fsync(lockFd_) != 0) {
        const int error = errno;
        [[maybe_unused]] const int emptied = ::ftruncate(lockFd_, 0);
        ::close(lockFd_);
        lockFd_ = -1;
        failure = LockFailureText(error, folder_, lockPath_);
        return false;
    }
    return true;
}

void SingleInstance::Listen() {
    auto failed = [this](const char* what) {
        if (trace_) {
            // The program still runs; a second start finds the lock held and says
            // that this instance does not answer.
            trace_("cannot listen on " + serverName_.toStdString() +
                   " for a second start: " + what + ": " + std::strerror(errno));
        }
    };
    sockaddr_un address{};
    if (!SocketAddress(serverName_, address)) {
        errno = ENAMETOOLONG;
        failed("the path is too long");
        return;
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        failed("socket");
        return;
    }
    // Whatever socket bears the name was left by an owner that is gone: the lock
    // is ours. Only this user may connect to it.
    ::unlink(address.sun_path);
    const mode_t mask = ::umask(077);
    const bool bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::umask(mask);
    if (!bound || ::listen(fd, 8) != 0) {
        failed(bound ? "listen" : "bind");
        ::close(fd);
        return;
    }
    serverFd_ = fd;
    server_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(server_, &QSocketNotifier::activated, this, [this] {
        for (int client; (client = ::accept4(serverFd_, nullptr, nullptr,
                                             SOCK_CLOEXEC | SOCK_NONBLOCK)) >= 0;) {
            Answer(client);
        }
    });
}

// Reads the request line as it comes. A command goes to the session, a request
// to load the rules again is answered once they are loaded; any other brings this instance forward
// and says whether it has a window.
void SingleInstance::Answer(int client) {
    auto* reader = new QSocketNotifier(client, QSocketNotifier::Read, this);
    auto request = std::make_shared<QByteArray>();
    connect(reader, &QSocketNotifier::activated, this, [this, reader, client, request] {
        char buffer[64];
        ssize_t got = 0;
        while ((got = ::read(client, buffer, sizeof buffer)) > 0 && request->size() < 4096) {
            request->append(buffer, got);
        }
        const bool ended = got == 0 || (got < 0 && errno != EAGAIN && errno != EINTR);
        if (!request->contains('\n') && !ended) {
            return;  // more to come
        }
        const auto command = request->contains('\n') ? CommandOf(*request) : std::nullopt;
        reader->setEnabled(false);
        reader->deleteLater();
        if (command && commandHandler_) {
            // The client stays open until the answer is known.
            commandHandler_(command->first, command->second, [client](const std::string& answer) {
                SendAll(client, answer + "\n");
                ::close(client);
            });
            return;
        }
        if (request->startsWith(kReloadRulesRequest)) {
            emit rulesReloadRequested();
            static constexpr char kReloaded[] = "reloaded\n";
            [[maybe_unused]] const ssize_t sent =
                ::send(client, kReloaded, sizeof kReloaded - 1, MSG_NOSIGNAL);
        } else if (request->contains('\n')) {
            emit activationRequested();
            const QByteArray answer = hasWindow_ ? "window\n" : "terminal\n";
            [[maybe_unused]] const ssize_t sent = ::send(
                client, answer.constData(), static_cast<std::size_t>(answer.size()), MSG_NOSIGNAL);
        }
        ::close(client);
    });
}

QByteArray SingleInstance::AskOwner(int waitMs) {
    return Ask(serverName_, kShowRequest, waitMs);
}

bool SingleInstance::LockHeld() const {
    const int fd =
        ::open(QFile::encodeName(lockPath_).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        return false;
    }
    const bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}

SingleInstance::ReloadAnswer SingleInstance::AskToReloadRules(const QString& programFolder) {
    const SingleInstance instance(programFolder, false);
    if (!instance.LockHeld()) {
        return ReloadAnswer::kNoneRunning;
    }
    return Ask(instance.serverName_, kReloadRulesRequest, kAnswerWaitMs) == "reloaded"
               ? ReloadAnswer::kReloaded
               : ReloadAnswer::kNoAnswer;
}

std::optional<std::string> SingleInstance::AskCommand(const QString& programFolder,
                                                      const std::string& verb,
                                                      const std::string& argument, int waitMs) {
    const SingleInstance instance(programFolder, false);
    if (!instance.LockHeld()) {
        return std::nullopt;
    }
    const std::string request = verb + (argument.empty() ? "" : " " + argument) + "\n";
    return Ask(instance.serverName_, request, waitMs).toStdString();
}

QString SingleInstance::OwnerDescription() const {
    QFile file(lockPath_);
    if (!file.open(QIODevice::ReadOnly)) {
        return QCoreApplication::translate("vornik::gui::SingleInstance", "进程号不明");
    }
    const QList<QByteArray> lines = file.read(512).split('\n');
    bool isNumber = false;
    const qint64 pid = lines.value(0).trimmed().toLongLong(&isNumber);
    if (!isNumber) {
        return QCoreApplication::translate("vornik::gui::SingleInstance", "进程号不明");
    }
    const QString host = QString::fromUtf8(lines.value(2).trimmed());
    return host.isEmpty()
               ? QCoreApplication::translate("vornik::gui::SingleInstance", "进程 %1").arg(pid)
               : QCoreApplication::translate("vornik::gui::SingleInstance", "进程 %1，计算机 %2")
                     .arg(pid)
                     .arg(host);
}

}  // namespace vornik::gui
