#include "pppd/pppd_dialer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <grp.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QtGlobal>

#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>

namespace vornik {

namespace fs = std::filesystem;

namespace {

// A dial walks through these as pppd gets further; each condition implies the
// ones before it (see ReachedStep).
constexpr std::array kDialSteps = {dial_state::kOpenPort, dial_state::kConnectDevice,
                                   dial_state::kDeviceConnected, dial_state::kProjected,
                                   dial_state::kConnected};
constexpr int kStepCount = static_cast<int>(kDialSteps.size());
constexpr std::size_t kOutputTail = 2000;

// The marked texts stay Chinese here, as on the terminal; the desktop's English
// catalogue translates them where it shows them.
constexpr char kNotInDip[] = QT_TRANSLATE_NOOP(
    "core",
    "当前用户不在 dip 组中，无法运行 pppd 拨号：请让管理员执行 adduser 用户名 dip 后重新登录");
constexpr char kNoPppd[] = QT_TRANSLATE_NOOP("core", "未找到 pppd：请安装软件包 ppp");
constexpr char kNoEntry[] = QT_TRANSLATE_NOOP("core", "没有选择要拨号的连接");

// pppd(8), EXIT STATUS, from 1 on.
constexpr const char* kExitMessages[] = {
    QT_TRANSLATE_NOOP("core", "pppd 发生致命错误"),
    QT_TRANSLATE_NOOP("core", "pppd 选项错误：请检查该连接的 peers 文件"),
    QT_TRANSLATE_NOOP("core", "pppd 没有 root 权限（未设置 setuid）"),
    QT_TRANSLATE_NOOP("core", "内核不支持 PPP（缺少 ppp 驱动）"),
    QT_TRANSLATE_NOOP("core", "pppd 被信号终止"),
    QT_TRANSLATE_NOOP("core", "无法锁定串口（端口正被占用）"),
    QT_TRANSLATE_NOOP("core", "无法打开端口（串口或设备不可用）"),
    QT_TRANSLATE_NOOP("core", "连接脚本执行失败"),
    QT_TRANSLATE_NOOP("core", "pty 命令执行失败"),
    QT_TRANSLATE_NOOP("core", "链路协商失败"),
    QT_TRANSLATE_NOOP("core", "对方未通过身份验证"),
    QT_TRANSLATE_NOOP("core", "链路空闲超时，已断开"),
    QT_TRANSLATE_NOOP("core", "已达到连接时间上限，已断开"),
    QT_TRANSLATE_NOOP("core", "已协商回呼，等待对方回拨"),
    QT_TRANSLATE_NOOP("core", "对方没有响应"),
    QT_TRANSLATE_NOOP("core", "调制解调器挂断"),
    QT_TRANSLATE_NOOP("core", "检测到串行链路环回"),
    QT_TRANSLATE_NOOP("core", "初始化脚本执行失败"),
    QT_TRANSLATE_NOOP("core", "用户名或密码错误，验证失败"),
};

std::string ExitMessage(int code) {
    if (code >= 1 && code <= static_cast<int>(std::size(kExitMessages))) {
        return kExitMessages[code - 1];
    }
    return "pppd 异常退出（退出码 " + std::to_string(code) + "）";
}

// ---- Files -----------------------------------------------------------------

std::optional<std::string> ReadText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Empty text for a file that does not exist yet; nothing when it cannot be read.
std::optional<std::string> ReadTextOrNothing(const fs::path& file) {
    return access(file.c_str(), F_OK) != 0 ? std::optional<std::string>("") : ReadText(file);
}

mode_t ModeOf(const fs::path& file) {
    struct stat info {};
    return stat(file.c_str(), &info) == 0 ? info.st_mode & 07777 : 0640;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) {
        text += line + '\n';
    }
    return text;
}

bool WriteAll(int fd, const std::string& content) {
    std::size_t written = 0;
    while (written < content.size()) {
        const ssize_t n = write(fd, content.data() + written, content.size() - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        written += static_cast<std::size_t>(n);
    }
    return true;
}

// The folder's entry for the new file reaches the disk too, not only its data.
void SyncFolder(const fs::path& folder) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

// Replaces `file` in one step, so that pppd never reads half a file. An existing
// file keeps its owner; the mode is `mode`.
bool ReplaceFile(const fs::path& file, const std::string& content, mode_t mode,
                 std::string& error) {
    struct stat old {};
    const bool existed = stat(file.c_str(), &old) == 0;
    // A dot name, so the peers listing never shows it as an entry.
    std::string temp = (file.parent_path() / ("." + file.filename().string() + ".XXXXXX")).string();
    const int fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    bool ok = WriteAll(fd, content) && fchmod(fd, mode) == 0 &&
              (!existed || fchown(fd, old.st_uid, old.st_gid) == 0) && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    ok = ok && rename(temp.c_str(), file.c_str()) == 0;
    if (!ok) {
        error = std::strerror(errno);
        unlink(temp.c_str());
        return false;
    }
    SyncFolder(file.parent_path());
    return true;
}

// Whether this user could put a new `file` in place: a new file goes into the
// folder, and an existing one must be writable too.
bool CanReplace(const fs::path& file) {
    return access(file.parent_path().c_str(), W_OK | X_OK) == 0 &&
           (access(file.c_str(), F_OK) != 0 || access(file.c_str(), W_OK) == 0);
}

std::vector<std::string> ListPeers(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& item : fs::directory_iterator(folder, error)) {
        const std::string name = item.path().filename().string();
        if (name.empty() || name.front() == '.' || name.back() == '~') {
            continue;
        }
        std::error_code typeError;
        if (fs::is_regular_file(item.path(), typeError) && access(item.path().c_str(), R_OK) == 0) {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

// ---- pppd option words -----------------------------------------------------

// Splits text as pppd reads its options and secrets files: words separated by
// white space, '#' starting a comment, quotes and backslashes protecting the rest.
std::vector<std::string> OptionWords(const std::string& text) {
    std::vector<std::string> words;
    std::size_t i = 0;
    const auto space = [&text](std::size_t at) {
        return std::isspace(static_cast<unsigned char>(text[at])) != 0;
    };
    while (i < text.size()) {
        if (space(i)) {
            ++i;
            continue;
        }
        if (text[i] == '#') {
            i = std::min(text.find('\n', i), text.size());
            continue;
        }
        std::string word;
        while (i < text.size() && !space(i)) {
            const char c = text[i++];
            if (c == '"' || c == '\'') {
                while (i < text.size() && text[i] != c) {
                    if (text[i] == '\\' && i + 1 < text.size()) {
                        ++i;
                    }
                    word += text[i++];
                }
                ++i;  // the closing quote
            } else if (c == '\\' && i < text.size()) {
                word += text[i++];
            } else {
                word += c;
            }
        }
        words.push_back(word);
    }
    return words;
}

std::string Quoted(const std::string& word) {
    std::string quoted = "\"";
    for (const char c : word) {
        if (c == '"' || c == '\\') {
            quoted += '\\';
        }
        quoted += c;
    }
    return quoted + '"';
}

// The value of the last `option VALUE` among the words, as pppd lets the last win.
std::string LastValue(const std::vector<std::string>& words, const std::string& option) {
    std::string value;
    for (std::size_t i = 0; i + 1 < words.size(); ++i) {
        if (words[i] == option) {
            value = words[i + 1];
        }
    }
    return value;
}

bool StartsWith(const std::string& text, const std::string& start) {
    return text.compare(0, start.size(), start) == 0;
}

// In plain words: PPPoE over which network card, or PPP over which serial port.
std::string DescribeDevice(const std::vector<std::string>& words, const fs::path& sysClassNet) {
    bool pppoe = false;
    bool pty = false;
    std::string card;
    std::string port;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (word == "plugin" && i + 1 < words.size()) {
            pppoe = pppoe || words[i + 1].find("pppoe") != std::string::npos;
        } else if (StartsWith(word, "nic-")) {
            card = word.substr(4);
        } else if (StartsWith(word, "/dev/") || StartsWith(word, "tty")) {
            port = word;
        } else if (word == "pty") {
            pty = true;
        } else if (card.empty() && word.find('/') == std::string::npos &&
                   fs::exists(sysClassNet / word)) {
            card = word;  // the PPPoE plugin takes a bare interface name too
        }
    }
    if (pppoe) {
        return card.empty() ? "PPPoE" : "PPPoE (" + card + ")";
    }
    if (!port.empty()) {
        return "PPP (" + port + ")";
    }
    return pty ? "PPP (pty)" : "PPP";
}

// The peers file with `user NAME` set: a line holding only a user option is
// replaced, other lines stay as they are.
std::string WithUserOption(const std::string& content, const std::string& user) {
    const std::string userLine = "user " + Quoted(user);
    std::vector<std::string> lines;
    bool placed = false;
    for (const auto& line : Lines(content)) {
        const auto words = OptionWords(line);
        if (words.size() == 2 && words[0] == "user") {
            if (!placed) {
                lines.push_back(userLine);
                placed = true;
            }
            continue;
        }
        lines.push_back(line);
    }
    // A user option sharing a line with others, or none at all: a line at the end
    // wins, as pppd takes the last.
    if (LastValue(OptionWords(JoinLines(lines)), "user") != user) {
        lines.push_back(userLine);
    }
    return JoinLines(lines);
}

// A secrets file with the one line for `user` towards `server` ("*": any) set to
// `secret`; every other line stays.
std::string WithSecret(const std::string& content, const std::string& user,
                       const std::string& server, const std::string& secret) {
    const std::string secretLine =
        Quoted(user) + " " + (server == "*" ? "*" : Quoted(server)) + " " + Quoted(secret) + " *";
    std::vector<std::string> lines;
    bool placed = false;
    for (const auto& line : Lines(content)) {
        const auto words = OptionWords(line);
        if (words.size() >= 2 && words[0] == user && words[1] == server) {
            if (!placed) {
                lines.push_back(secretLine);
                placed = true;
            }
            continue;
        }
        lines.push_back(line);
    }
    if (!placed) {
        lines.push_back(secretLine);
    }
    return JoinLines(lines);
}

std::string JoinedPaths(const std::vector<fs::path>& files) {
    std::string text;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (i > 0) {
            text += i + 1 == files.size() ? " 和 " : "、";
        }
        text += files[i].string();
    }
    return text;
}

bool HasLineBreak(const std::string& text) {
    return text.find_first_of(std::string("\n\r\0", 3)) != std::string::npos;
}

// ---- The link --------------------------------------------------------------

// The link pid file pppd writes for `linkname`: its pid, and the interface once
// it has one.
struct LinkPidFile {
    qint64 pid = 0;
    std::string interfaceName;
};

std::optional<LinkPidFile> ReadLinkPidFile(const fs::path& file) {
    std::ifstream in(file);
    LinkPidFile link;
    if (!(in >> link.pid)) {
        return std::nullopt;
    }
    in >> link.interfaceName;
    return link;
}

struct InterfaceState {
    bool up = false;
    std::string address;  // IPv4, empty when none
};

InterfaceState ReadInterfaceState(const std::string& name) {
    InterfaceState state;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) {
        return state;
    }
    for (const ifaddrs* item = list; item != nullptr; item = item->ifa_next) {
        if (item->ifa_name == nullptr || name != item->ifa_name) {
            continue;
        }
        state.up = state.up || (item->ifa_flags & IFF_UP) != 0;
        if (item->ifa_addr != nullptr && item->ifa_addr->sa_family == AF_INET &&
            state.address.empty()) {
            const auto* address = reinterpret_cast<const sockaddr_in*>(item->ifa_addr);
            char text[INET_ADDRSTRLEN] = {};
            if (inet_ntop(AF_INET, &address->sin_addr, text, sizeof text) != nullptr) {
                state.address = text;
            }
        }
    }
    freeifaddrs(list);
    return state;
}

fs::path FindPppd() {
    QString found = QStandardPaths::findExecutable(QStringLiteral("pppd"));
    if (found.isEmpty()) {
        found = QStandardPaths::findExecutable(
            QStringLiteral("pppd"), {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")});
    }
    return found.toStdString();
}

}  // namespace

bool UserMayRunPppd() {
    if (geteuid() == 0) {
        return true;
    }
    const group* dip = getgrnam("dip");
    if (dip == nullptr) {
        return true;  // a system without the group does not gate pppd by it
    }
    if (getegid() == dip->gr_gid || getgid() == dip->gr_gid) {
        return true;
    }
    const int count = getgroups(0, nullptr);
    std::vector<gid_t> groups(static_cast<std::size_t>(std::max(count, 0)));
    const int filled = getgroups(count, groups.data());
    groups.resize(static_cast<std::size_t>(std::max(filled, 0)));
    return std::find(groups.begin(), groups.end(), dip->gr_gid) != groups.end();
}

PppdDialer::PppdDialer(PppdOptions options, QObject* parent)
    : QObject(parent),
      options_(std::move(options)),
      pollTimer_(new QTimer(this)),
      counters_(options_.sysClassNet) {
    pollTimer_->setInterval(kPollIntervalMs);
    connect(pollTimer_, &QTimer::timeout, this, &PppdDialer::PollLink);
    ReadPeersFolder();
}

PppdDialer::~PppdDialer() {
    if (!process_) {
        return;
    }
    // Done by hand: a QProcess dying with its parent would report its end into an
    // object half destroyed.
    disconnect(process_, nullptr, this, nullptr);
    process_->terminate();
    if (!process_->waitForFinished(kKillDelayMs)) {
        process_->kill();
        process_->waitForFinished();
    }
    delete process_;
}

bool PppdDialer::PeersReadable(const fs::path& peersFolder) {
    return !ListPeers(peersFolder).empty();
}

// ---- Phone book ------------------------------------------------------------

void PppdDialer::ReadPeersFolder() {
    entries_ = ListPeers(options_.peersFolder);
}

bool PppdDialer::IsConnected() {
    if (phase_ == Phase::kUp) {
        LinkStillUp();
    }
    return phase_ == Phase::kUp;
}

std::string PppdDialer::EntryName() {
    return entryName_;
}
std::string PppdDialer::EntryUserName() {
    return userName_;
}
void PppdDialer::SetEntryUserName(const std::string& name) {
    userName_ = name;
}
// pppd keeps secrets in /etc/ppp/*-secrets, which only root reads; none is shown.
std::string PppdDialer::EntryPassword() {
    return password_;
}
void PppdDialer::SetEntryPassword(const std::string& password) {
    password_ = password;
}

std::string PppdDialer::PhoneBook() {
    return options_.peersFolder.string();
}

// `pppd call` reads only its own peers folder, so no other folder can stand in.
void PppdDialer::SetPhoneBook(const std::string& path) {
    if (fs::path(path) != options_.peersFolder) {
        Trace("pppd: phone book " + path + " ignored; entries come from " +
              options_.peersFolder.string());
    }
    ReadPeersFolder();
}

std::string PppdDialer::DefaultPhoneBook() {
    return options_.peersFolder.string();
}

int PppdDialer::EntryCount() {
    return static_cast<int>(entries_.size());
}

std::string PppdDialer::EntryNameAt(int index) {
    if (index < 0 || index >= EntryCount()) {
        return {};
    }
    return entries_[static_cast<std::size_t>(index)];
}

std::string PppdDialer::DeviceType() {
    if (phase_ != Phase::kDown) {
        return linkDeviceType_;
    }
    if (entryName_.empty()) {
        return {};
    }
    const auto content = ReadText(options_.peersFolder / entryName_);
    return DescribeDevice(OptionWords(content.value_or("")), options_.sysClassNet);
}

std::string PppdDialer::IPAddress() {
    return phase_ == Phase::kUp ? address_ : std::string{};
}

// A link found gone keeps the counts last read: they are the call's.
std::int64_t PppdDialer::BytesReceived() {
    if (phase_ == Phase::kUp && LinkStillUp()) {
        linkCounts_ = counters_.Read();
    }
    return linkCounts_.received;
}

std::int64_t PppdDialer::BytesSent() {
    if (phase_ == Phase::kUp && LinkStillUp()) {
        linkCounts_ = counters_.Read();
    }
    return linkCounts_.sent;
}

void PppdDialer::LoadEntry(const std::string& name) {
    ReadPeersFolder();
    password_.clear();
    if (std::find(entries_.begin(), entries_.end(), name) == entries_.end()) {
        entryName_.clear();
        userName_.clear();
        loadedUserName_.clear();
    } else {
        entryName_ = name;
        const auto content = ReadText(options_.peersFolder / name);
        loadedUserName_ = userName_ = LastValue(OptionWords(content.value_or("")), "user");
    }
    RaiseEntryLoaded();
}

// Writes only what changed: the session stores the boxes back whenever one loses
// the focus, and the password box is always empty here.
void PppdDialer::SaveEntry(const std::string& name) {
    if (name.empty() || std::find(entries_.begin(), entries_.end(), name) == entries_.end()) {
        Trace("pppd: no peers file " + name + "; credentials not saved");
        return;
    }
    const bool userChanged = userName_ != loadedUserName_;
    const bool passwordGiven = !password_.empty();
    if (!userChanged && !passwordGiven) {
        return;
    }
    if (HasLineBreak(userName_) || HasLineBreak(password_)) {
        Notice(QT_TRANSLATE_NOOP("core", "用户名或密码中不能有换行，未保存"));
        return;
    }
    if (passwordGiven && userName_.empty()) {
        Notice(QT_TRANSLATE_NOOP("core", "请先填写用户名，再保存密码"));
        return;
    }
    const fs::path peersFile = options_.peersFolder / name;
    std::vector<fs::path> files;
    if (userChanged) {
        files.push_back(peersFile);
    }
    if (passwordGiven) {
        files.push_back(options_.secretsFolder / "pap-secrets");
        files.push_back(options_.secretsFolder / "chap-secrets");
    }
    if (!std::all_of(files.begin(), files.end(), CanReplace)) {
        Notice("保存账号需要管理员权限：请以 root 身份编辑 " + JoinedPaths(files));
        return;
    }
    const auto peersContent = ReadText(peersFile);
    if (!peersContent) {
        FailToSave(peersFile, "无法读取");
        return;
    }
    const std::string remote = LastValue(OptionWords(*peersContent), "remotename");
    for (const auto& file : files) {
        const bool isPeers = file == peersFile;
        // A secrets file that exists but cannot be read must not lose its lines.
        const auto content = isPeers ? peersContent : ReadTextOrNothing(file);
        if (!content) {
            FailToSave(file, "无法读取");
            return;
        }
        const std::string updated =
            isPeers ? WithUserOption(*content, userName_)
                    : WithSecret(*content, userName_, remote.empty() ? "*" : remote, password_);
        std::string error;
        if (!ReplaceFile(file, updated, isPeers ? ModeOf(file) : 0600, error)) {
            FailToSave(file, error);
            return;
        }
    }
}

void PppdDialer::FailToSave(const fs::path& file, const std::string& reason) {
    Trace("pppd: credentials not saved: " + file.string() + ": " + reason);
    Notice("保存账号失败：" + file.string() + "（" + reason + "）");
}

int PppdDialer::CreateEntry() {
    Notice("pppd 的连接在 " + options_.peersFolder.string() +
           " 中定义：请用 pppoeconf 或文本编辑器（需要 root）新建");
    return 1;
}

void PppdDialer::EditEntry(const std::string& name) {
    Notice("pppd 的连接在 " + (options_.peersFolder / name).string() +
           " 中定义：请用 pppoeconf 或文本编辑器（需要 root）修改");
}

// ---- Dialling --------------------------------------------------------------

void PppdDialer::Connect() {
    if (phase_ != Phase::kDown) {
        return;
    }
    if (entryName_.empty()) {
        FailLater(kNoEntry);
        return;
    }
    if (!(options_.userMayDial ? options_.userMayDial() : UserMayRunPppd())) {
        FailLater(kNotInDip);
        return;
    }
    fs::path program = options_.program.empty() ? FindPppd() : options_.program;
    if (program.empty() || access(program.c_str(), X_OK) != 0) {
        Trace("pppd: program not found: " + program.string());
        FailLater(kNoPppd);
        return;
    }
    StartPppd(program);
}

void PppdDialer::FailLater(const std::string& message) {
    QTimer::singleShot(0, this, [this, message] { RaiseDialError(message); });
}

void PppdDialer::StartPppd(const fs::path& program) {
    phase_ = Phase::kDialing;
    const int run = ++run_;
    stepsRaised_ = 0;
    linkWasUp_ = false;
    hangUpRequested_ = false;
    output_.clear();
    linkEntry_ = entryName_;
    linkDeviceType_ =
        DescribeDevice(OptionWords(ReadText(options_.peersFolder / linkEntry_).value_or("")),
                       options_.sysClassNet);

    auto* process = new QProcess(this);
    const QString name = QString::fromStdString(linkEntry_);
    process->setProgram(QString::fromStdString(program.string()));
    process->setArguments({QStringLiteral("call"), name, QStringLiteral("nodetach"),
                           QStringLiteral("linkname"), name});
    // Without a device in the peers file pppd would take its standard input for
    // the serial line.
    process->setStandardInputFile(QProcess::nullDevice());
    process->setProcessChannelMode(QProcess::MergedChannels);
    connect(process, &QProcess::readyRead, this, [this, process] {
        output_ += process->readAll().toStdString();
        if (output_.size() > kOutputTail) {
            output_.erase(0, output_.size() - kOutputTail);
        }
    });
    // Queued: the end or a failed start is never reported inside Connect.
    connect(
        process, &QProcess::finished, this,
        [this, run](int exitCode, QProcess::ExitStatus status) {
            OnPppdEnded(run, status == QProcess::CrashExit, exitCode);
        },
        Qt::QueuedConnection);
    connect(
        process, &QProcess::errorOccurred, this,
        [this, run](QProcess::ProcessError error) {
            if (error == QProcess::FailedToStart) {
                OnPppdFailedToStart(run);
            }
        },
        Qt::QueuedConnection);
    process_ = process;
    process->start();
    pollTimer_->start();
    QTimer::singleShot(0, this, &PppdDialer::PollLink);  // "opening port" from the event loop
}

// How far pppd has got: 1 running, 2 its link pid file is there, 3 that file
// names an interface that exists, 4 the interface is up, 5 it has an address.
int PppdDialer::ReachedStep() {
    if (!process_) {
        return 0;
    }
    const auto pidFile = ReadLinkPidFile(options_.runFolder / ("ppp-" + linkEntry_ + ".pid"));
    // A file left by an earlier pppd names another pid.
    if (!pidFile || pidFile->pid != process_->processId()) {
        return 1;
    }
    if (pidFile->interfaceName.empty() || pidFile->interfaceName.find('/') != std::string::npos ||
        !fs::exists(options_.sysClassNet / pidFile->interfaceName)) {
        return 2;
    }
    interfaceName_ = pidFile->interfaceName;
    const InterfaceState state = ReadInterfaceState(interfaceName_);
    if (!state.up) {
        return 3;
    }
    address_ = state.address;
    return address_.empty() ? 4 : 5;
}

void PppdDialer::PollLink() {
    if (phase_ != Phase::kDialing || hangUpRequested_) {
        return;
    }
    RaiseSteps(ReachedStep(), run_);
}

// Whether the link that is up is still there. The interface's index is asked
// every time (a new one: it was re-created by a quick redial), the pid file and
// the address at most every half second. A link found gone is taken down from
// the event loop, never inside the getter that found it: the session asks in
// the middle of its tick. Until then the link counts as up.
bool PppdDialer::LinkStillUp() {
    if (linkLost_) {
        return false;
    }
    if (hangUpRequested_) {
        return true;  // pppd's end reports it
    }
    constexpr auto kFullCheckEvery = std::chrono::milliseconds(500);
    const auto now = std::chrono::steady_clock::now();
    bool up = if_nametoindex(interfaceName_.c_str()) == linkIndex_;
    if (up && now - lastLinkCheck_ >= kFullCheckEvery) {
        lastLinkCheck_ = now;
        up = ReachedStep() == kStepCount;
    }
    if (up) {
        return true;
    }
    linkLost_ = true;
    QTimer::singleShot(0, this, [this, run = run_] {
        if (run == run_ && linkLost_ && phase_ == Phase::kUp) {
            TakeLinkDown();
        }
    });
    return false;
}

// Raises the states not raised yet up to `upTo`, in order, so none is skipped
// when pppd gets further than one step between two polls. Stops when a handler
// ended or replaced the dial.
void PppdDialer::RaiseSteps(int upTo, int run) {
    while (stepsRaised_ < upTo) {
        const int state = kDialSteps[static_cast<std::size_t>(stepsRaised_++)];
        if (state == dial_state::kConnected) {
            phase_ = Phase::kUp;
            linkWasUp_ = true;
            linkLost_ = false;
            linkIndex_ = if_nametoindex(interfaceName_.c_str());
            lastLinkCheck_ = std::chrono::steady_clock::now();
            counters_.Start(interfaceName_);
            linkCounts_ = {};
            pollTimer_->stop();
        }
        RaiseStateChanged(state);
        if (run != run_ || phase_ == Phase::kDown || hangUpRequested_) {
            return;
        }
    }
}

// The interface went away while pppd runs on. Without `persist` pppd ends next;
// with it, pppd redials quietly and the link counts again once it is back up.
void PppdDialer::TakeLinkDown() {
    phase_ = Phase::kDialing;
    stepsRaised_ = kStepCount - 1;
    linkLost_ = false;
    address_.clear();
    pollTimer_->start();
    RaiseStateChanged(dial_state::kDisconnected);
}

void PppdDialer::HangUp() {
    if (phase_ == Phase::kDown || hangUpRequested_ || !process_) {
        return;
    }
    hangUpRequested_ = true;
    process_->terminate();
    QProcess* process = process_;
    QTimer::singleShot(kKillDelayMs, process, [process] { process->kill(); });
}

void PppdDialer::OnPppdEnded(int run, bool crashed, int exitCode) {
    if (run != run_) {
        return;
    }
    const bool wasUp = phase_ == Phase::kUp;
    if (wasUp) {
        linkCounts_ = counters_.Read();
    }
    const bool requested = hangUpRequested_;
    if (!requested && (crashed || exitCode != 0)) {
        Trace("pppd " + linkEntry_ + " ended " +
              (crashed ? std::string("by a signal") : "with code " + std::to_string(exitCode)) +
              ": " + output_);
    }
    EndRun();
    if (requested || wasUp || (!linkWasUp_ && !crashed && exitCode == 0)) {
        RaiseStateChanged(dial_state::kDisconnected);
    } else if (!linkWasUp_) {
        RaiseDialError(crashed ? QT_TRANSLATE_NOOP("core", "pppd 意外终止")
                               : ExitMessage(exitCode));
    }
}

void PppdDialer::OnPppdFailedToStart(int run) {
    if (run != run_) {
        return;
    }
    const bool requested = hangUpRequested_;
    const std::string program = process_ ? process_->program().toStdString() : std::string{};
    Trace("pppd: cannot start " + program);
    EndRun();
    if (requested) {
        RaiseStateChanged(dial_state::kDisconnected);
    } else {
        RaiseDialError("无法启动 pppd（" + program + "）：没有执行权限或文件已损坏");
    }
}

// Back to no link; `linkWasUp_` and the last counts stay for the caller.
void PppdDialer::EndRun() {
    phase_ = Phase::kDown;
    ++run_;
    pollTimer_->stop();
    hangUpRequested_ = false;
    linkLost_ = false;
    interfaceName_.clear();
    address_.clear();
    if (process_) {
        disconnect(process_, nullptr, this, nullptr);
        process_->deleteLater();
        process_ = nullptr;
    }
}

void PppdDialer::Notice(const std::string& text) const {
    if (options_.notice) {
        options_.notice(text);
    }
}

void PppdDialer::Trace(const std::string& text) const {
    if (options_.trace) {
        options_.trace(text);
    }
}

}  // namespace vornik
