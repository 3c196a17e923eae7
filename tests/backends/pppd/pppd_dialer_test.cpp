#include "pppd/pppd_dialer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "backends/pppd/private_network.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;

namespace vornik::testing {
namespace {

std::string& Problem() {
    static std::string problem = "the private network was not set up";
    return problem;
}

QString FindSystemProgram(const QString& name) {
    const QString onPath = QStandardPaths::findExecutable(name);
    return onPath.isEmpty() ? QStandardPaths::findExecutable(name, {"/usr/sbin", "/sbin"}) : onPath;
}

std::string TryToEnterPrivateNetwork() {
    if (geteuid() != 0) {
        return "needs root to create a network namespace of its own";
    }
    if (FindSystemProgram("ip").isEmpty()) {
        return "ip (iproute2) is not installed";
    }
    if (access("/dev/net/tun", R_OK | W_OK) != 0) {
        return "no /dev/net/tun";
    }
    if (unshare(CLONE_NEWNET | CLONE_NEWNS) != 0) {
        return std::string("cannot create network and mount namespaces: ") + std::strerror(errno);
    }
    // A sysfs mounted here shows this namespace's interfaces; private mounts keep
    // it from the machine's own /sys.
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        mount("sysfs", "/sys", "sysfs", 0, nullptr) != 0) {
        return std::string("cannot mount a private /sys: ") + std::strerror(errno);
    }
    // IPv6 would send packets of its own on every new interface and upset the
    // byte counts.
    std::ofstream("/proc/sys/net/ipv6/conf/default/disable_ipv6") << "1\n";
    return {};
}

}  // namespace

std::string EnterPrivateNetwork() {
    Problem() = TryToEnterPrivateNetwork();
    return Problem();
}

const std::string& PrivateNetworkProblem() {
    return Problem();
}

bool RunIp(const QStringList& arguments) {
    return QProcess::execute(FindSystemProgram("ip"), arguments) == 0;
}

bool SendUdp(const char* address, int payload) {
    const int sender = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(9);
    inet_pton(AF_INET, address, &to.sin_addr);
    const std::string data(static_cast<std::size_t>(payload), 'v');
    const ssize_t sent =
        sendto(sender, data.data(), data.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
    close(sender);
    return sent == payload;
}

namespace {

constexpr int kWaitMs = 20 * 1000;
constexpr char kEntry[] = "isp";
constexpr char kInterface[] = "ppp7";
constexpr char kLinkAddress[] = "10.64.64.2";    // the stand-in's local end
constexpr char kRemoteAddress[] = "10.64.64.1";  // and the peer's

constexpr char kPppoePeer[] =
    "# ISP over PPPoE\n"
    "plugin rp-pppoe.so nic-eth7\n"
    "# user \"commented\"\n"
    "user \"zhang san \\\"x\\\"\"\n"
    "noauth\n";

bool Contains(const std::vector<std::string>& items, const std::string& item) {
    return std::find(items.begin(), items.end(), item) != items.end();
}

// A dialer over a peers folder, secrets folder and run folder of the test's own,
// with everything it reports recorded: states as their numbers, dial errors as
// their messages, in the order they came.
class PppdDialerTest : public ::testing::Test {
  protected:
    PppdDialerTest() {
        fs::create_directories(Peers());
        fs::create_directories(Run());
    }

    fs::path Etc() const { return folder_ / "etc"; }
    fs::path Peers() const { return Etc() / "peers"; }
    fs::path Run() const { return folder_ / "run"; }

    PppdOptions Options(std::function<bool()> userMayDial = {}, fs::path program = {}) {
        PppdOptions options;
        options.peersFolder = Peers();
        options.secretsFolder = Etc();
        options.runFolder = Run();
        options.program = std::move(program);
        options.notice = [this](const std::string& text) { notices_.push_back(text); };
        options.trace = [this](const std::string& text) { traces_.push_back(text); };
        options.userMayDial = std::move(userMayDial);
        return options;
    }

    std::unique_ptr<PppdDialer> MakeDialer(PppdOptions options) {
        auto dialer = std::make_unique<PppdDialer>(std::move(options));
        dialer->SetEvents({[this](int state) { events_.push_back(std::to_string(state)); },
                           [this](const std::string& message) { events_.push_back(message); }});
        return dialer;
    }

    bool WaitForEvent(const std::string& event) {
        return QTest::qWaitFor([&] { return Contains(events_, event); }, kWaitMs);
    }

    TempFolder folder_;
    std::vector<std::string> events_;
    std::vector<std::string> notices_;
    std::vector<std::string> traces_;
};

// ---- Phone book and credentials --------------------------------------------

TEST_F(PppdDialerTest, ThePhoneBookIsTheReadablePeersFilesWithTheirUserAndDevice) {
    WriteFile(Peers() / kEntry, kPppoePeer);
    WriteFile(Peers() / "modem", "/dev/ttyUSB0 115200\nuser first\nuser second\n");
    WriteFile(Peers() / ".hidden", "user x\n");
    WriteFile(Peers() / "isp~", "user x\n");
    fs::create_directories(Peers() / "folder");
    fs::create_symlink(Peers() / "missing", Peers() / "broken");
    const fs::path empty = folder_ / "empty";
    fs::create_directories(empty);

    EXPECT_TRUE(PppdDialer::PeersReadable(Peers()));
    EXPECT_FALSE(PppdDialer::PeersReadable(empty));
    EXPECT_FALSE(PppdDialer::PeersReadable(folder_ / "nowhere"));

    auto dialer = MakeDialer(Options());
    ASSERT_EQ(dialer->EntryCount(), 2);
    EXPECT_EQ(dialer->EntryNameAt(0), kEntry);
    EXPECT_EQ(dialer->EntryNameAt(1), "modem");
    EXPECT_EQ(dialer->PhoneBook(), Peers().string());

    dialer->LoadEntry(kEntry);
    EXPECT_EQ(dialer->EntryName(), kEntry);
    EXPECT_EQ(dialer->EntryUserName(), "zhang san \"x\"");
    EXPECT_EQ(dialer->EntryPassword(), "");
    EXPECT_EQ(dialer->DeviceType(), "PPPoE (eth7)");

    dialer->LoadEntry("modem");
    EXPECT_EQ(dialer->EntryUserName(), "second");  // pppd takes the last
    EXPECT_EQ(dialer->DeviceType(), "PPP (/dev/ttyUSB0)");

    dialer->LoadEntry("broken");
    EXPECT_EQ(dialer->EntryName(), "");
    EXPECT_EQ(dialer->EntryUserName(), "");

    // A new peers file shows after the list is filled again.
    WriteFile(Peers() / "gprs", "/dev/ttyACM0\n");
    dialer->SetPhoneBook(dialer->DefaultPhoneBook());
    EXPECT_EQ(dialer->EntryCount(), 3);

    // pppd has no editor of its own: the user is told where entries live.
    EXPECT_NE(dialer->CreateEntry(), 0);
    dialer->EditEntry("modem");
    ASSERT_EQ(notices_.size(), 2u);
    EXPECT_NE(notices_[0].find(Peers().string()), std::string::npos) << notices_[0];
    EXPECT_NE(notices_[1].find((Peers() / "modem").string()), std::string::npos) << notices_[1];
}

TEST_F(PppdDialerTest, SavingCredentialsChangesOnlyTheUserLineAndTheUsersSecret) {
    const std::string peer =
        "plugin rp-pppoe.so nic-eth7\n"
        "user alice\n"
        "remotename provider\n"
        "noauth\n";
    const std::string otherSecrets =
        "# Secrets for authentication using PAP\n"
        "\"alice\" * \"for any server\" *\n"
        "other provider \"keep\" *\n";
    WriteFile(Peers() / kEntry, peer);
    WriteFile(Etc() / "pap-secrets", otherSecrets + "alice provider old *\n");
    auto dialer = MakeDialer(Options());

    // The session stores the password box when it loses the focus, then reloads.
    dialer->LoadEntry(kEntry);
    dialer->SetEntryPassword("new \"pw\"");
    dialer->SaveEntry(kEntry);
    dialer->LoadEntry(kEntry);

    const std::string secret = "\"alice\" \"provider\" \"new \\\"pw\\\"\" *\n";
    EXPECT_EQ(ReadFile(Etc() / "pap-secrets"), otherSecrets + secret);
    EXPECT_EQ(ReadFile(Etc() / "chap-secrets"), secret);
    for (const char* file : {"pap-secrets", "chap-secrets"}) {
        EXPECT_EQ(fs::status(Etc() / file).permissions() & fs::perms::all,
                  fs::perms::owner_read | fs::perms::owner_write)
            << file;
    }
    EXPECT_EQ(ReadFile(Peers() / kEntry), peer);
    EXPECT_EQ(dialer->EntryPassword(), "");

    // The user name goes into the peers file in place of the old one.
    fs::permissions(Peers() / kEntry,
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    dialer->SetEntryUserName("bob smith");
    dialer->SaveEntry(kEntry);
    dialer->LoadEntry(kEntry);
    EXPECT_EQ(dialer->EntryUserName(), "bob smith");
    EXPECT_EQ(ReadFile(Peers() / kEntry),
              "plugin rp-pppoe.so nic-eth7\n"
              "user \"bob smith\"\n"
              "remotename provider\n"
              "noauth\n");
    EXPECT_EQ(fs::status(Peers() / kEntry).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(ReadFile(Etc() / "chap-secrets"), secret);
    EXPECT_EQ(dialer->EntryCount(), 1) << "a temporary file was left as an entry";
    EXPECT_TRUE(notices_.empty());
}

// Runs `body` in a child process as the user nobody with the given supplementary
// groups, and returns what it returned.
std::string RunAsNobody(const std::vector<gid_t>& groups,
                        const std::function<std::string()>& body) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) {
        return "pipe failed";
    }
    const pid_t child = fork();
    if (child == 0) {
        close(pipeEnds[0]);
        const uid_t nobody = 65534;
        std::string result = "cannot become nobody";
        if (setgroups(groups.size(), groups.data()) == 0 && setgid(nobody) == 0 &&
            setuid(nobody) == 0) {
            result = body();
        }
        const ssize_t written = write(pipeEnds[1], result.data(), result.size());
        _exit(written == static_cast<ssize_t>(result.size()) ? 0 : 1);
    }
    close(pipeEnds[1]);
    std::string result;
    char buffer[512];
    for (ssize_t n; (n = read(pipeEnds[0], buffer, sizeof buffer)) > 0;) {
        result.append(buffer, static_cast<std::size_t>(n));
    }
    close(pipeEnds[0]);
    waitpid(child, nullptr, 0);
    return result;
}

TEST_F(PppdDialerTest, AUserWhoIsNotRootSavesNothingAndOutsideDipCannotDial) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root to run parts of the test as another user";
    }
    const group* dip = getgrnam("dip");
    if (dip == nullptr) {
        GTEST_SKIP() << "this system has no dip group";
    }
    const gid_t dipGroup = dip->gr_gid;
    WriteFile(Peers() / kEntry, kPppoePeer);
    WriteFile(Etc() / "pap-secrets", "\"zhang san \\\"x\\\"\" * old *\n");
    fs::permissions(Etc() / "pap-secrets", fs::perms::owner_read | fs::perms::owner_write);
    fs::permissions(folder_.Path(),
                    fs::perms::all & ~fs::perms::group_write & ~fs::perms::others_write);

    const std::string seen = RunAsNobody({}, [this] {
        auto dialer = MakeDialer(Options());
        dialer->LoadEntry(kEntry);
        dialer->SaveEntry(kEntry);  // nothing changed: no notice
        dialer->SetEntryPassword("secret");
        dialer->SaveEntry(kEntry);
        std::string result = dialer->EntryUserName();
        for (const auto& notice : notices_) {
            result += "|" + notice;
        }
        return result + (UserMayRunPppd() ? "|may dial" : "|may not dial");
    });
    EXPECT_EQ(seen, "zhang san \"x\"|保存账号需要管理员权限：请以 root 身份编辑 " +
                        (Etc() / "pap-secrets").string() + " 和 " +
                        (Etc() / "chap-secrets").string() + "|may not dial");
    EXPECT_EQ(ReadFile(Etc() / "pap-secrets"), "\"zhang san \\\"x\\\"\" * old *\n");
    EXPECT_FALSE(fs::exists(Etc() / "chap-secrets"));
    EXPECT_EQ(ReadFile(Peers() / kEntry), kPppoePeer);

    EXPECT_EQ(RunAsNobody({dipGroup}, [] { return UserMayRunPppd() ? "may" : "may not"; }), "may");
}

TEST_F(PppdDialerTest, ADialThatCannotStartFailsFromTheEventLoopWithTheReason) {
    WriteFile(Peers() / kEntry, kPppoePeer);
    struct Case {
        bool userMayDial;
        const char* entry;
        std::string message;
    };
    const Case cases[] = {
        {false, kEntry,
         "当前用户不在 dip 组中，无法运行 pppd 拨号：请让管理员执行 adduser 用户名 dip 后重新登录"},
        {true, kEntry, "未找到 pppd：请安装软件包 ppp"},
        {true, "", "没有选择要拨号的连接"},
    };
    for (const Case& c : cases) {
        events_.clear();
        auto dialer = MakeDialer(
            Options([&c] { return c.userMayDial; }, folder_ / "no-such-folder" / "pppd"));
        dialer->LoadEntry(c.entry);
        dialer->Connect();
        EXPECT_TRUE(events_.empty()) << "reported inside Connect: " << c.message;
        ASSERT_TRUE(WaitForEvent(c.message)) << c.message;
        EXPECT_EQ(events_, std::vector<std::string>{c.message});
        EXPECT_FALSE(dialer->IsConnected());
    }
}

// ---- Links through the stand-in pppd -----------------------------------------

// The stand-in pppd first on PATH, told where the run folder is; it brings up a
// tun interface named like a ppp one inside the test's private network.
class PppdLinkTest : public PppdDialerTest {
  protected:
    void SetUp() override {
        if (!PrivateNetworkProblem().empty()) {
            GTEST_SKIP() << PrivateNetworkProblem();
        }
        if (QStandardPaths::findExecutable("python3").isEmpty()) {
            GTEST_SKIP() << "python3, which runs the stand-in pppd, is not installed";
        }
        const fs::path bin = folder_ / "bin";
        fs::create_directories(bin);
        fs::copy_file(fs::path(__FILE__).parent_path() / "fake_pppd.py", bin / "pppd");
        fs::permissions(bin / "pppd", fs::perms::owner_all | fs::perms::group_read |
                                          fs::perms::group_exec | fs::perms::others_read |
                                          fs::perms::others_exec);
        savedPath_ = qgetenv("PATH");
        qputenv("PATH", QByteArray::fromStdString(bin.string()) + ":" + savedPath_);
        qputenv("FAKE_PPPD_RUN", QByteArray::fromStdString(Run().string()));
        qputenv("FAKE_PPPD_LOG", QByteArray::fromStdString((folder_ / "runs").string()));
        qputenv("FAKE_PPPD_IFACE", kInterface);
        Behave("up");
        WriteFile(Peers() / kEntry, kPppoePeer);
        dialer_ = MakeDialer(Options([] { return true; }));
        dialer_->LoadEntry(kEntry);
    }

    void TearDown() override {
        dialer_.reset();
        if (!savedPath_.isEmpty()) {
            qputenv("PATH", savedPath_);
        }
    }

    static void Behave(const char* behaviour) { qputenv("FAKE_PPPD_BEHAVIOUR", behaviour); }

    fs::path PidFile() const { return Run() / ("ppp-" + std::string(kEntry) + ".pid"); }

    pid_t StandInPid() const { return std::atoi(ReadFile(PidFile()).c_str()); }

    // Dials and waits for the link; nothing may be reported inside Connect.
    bool DialUp() {
        const std::size_t before = events_.size();
        dialer_->Connect();
        EXPECT_EQ(events_.size(), before) << "reported inside Connect";
        return WaitForEvent("8192");
    }

    std::unique_ptr<PppdDialer> dialer_;
    QByteArray savedPath_;
};

const std::vector<std::string> kDialStates = {"0", "2", "3", "18", "8192"};

std::vector<std::string> WithState(std::vector<std::string> events, const std::string& state) {
    events.push_back(state);
    return events;
}

TEST_F(PppdLinkTest, ALinkComesUpStepByStepAndIsMeteredUntilHangUp) {
    ASSERT_TRUE(DialUp()) << ::testing::PrintToString(events_);
    EXPECT_EQ(events_, kDialStates);
    EXPECT_EQ(ReadFile(folder_ / "runs"), "call isp nodetach linkname isp\n");
    EXPECT_TRUE(dialer_->IsConnected());
    EXPECT_EQ(dialer_->IPAddress(), kLinkAddress);
    EXPECT_EQ(dialer_->DeviceType(), "PPPoE (eth7)");

    // 100 bytes of payload in an IPv4 and UDP header: 128 bytes on a ppp link.
    EXPECT_EQ(dialer_->BytesSent(), 0);
    ASSERT_TRUE(SendUdp(kRemoteAddress, 100));
    EXPECT_TRUE(QTest::qWaitFor([&] { return dialer_->BytesSent() == 128; }, kWaitMs))
        << dialer_->BytesSent();
    EXPECT_EQ(dialer_->BytesReceived(), 0);

    dialer_->HangUp();
    EXPECT_EQ(events_.size(), kDialStates.size()) << "reported inside HangUp";
    ASSERT_TRUE(WaitForEvent("8193"));
    QTest::qWait(3 * PppdDialer::kPollIntervalMs);  // room for a wrong second report
    EXPECT_EQ(events_, WithState(kDialStates, "8193"));
    EXPECT_FALSE(dialer_->IsConnected());
    EXPECT_EQ(dialer_->IPAddress(), "");
    EXPECT_FALSE(fs::exists(PidFile()));
    EXPECT_FALSE(fs::exists(fs::path("/sys/class/net") / kInterface));
    // The call's record is written after the link has gone: its bytes stay.
    EXPECT_EQ(dialer_->BytesSent(), 128);
}

TEST_F(PppdLinkTest, APppdThatGivesUpBeforeTheLinkIsUpSaysWhyInChinese) {
    const std::pair<const char*, std::string> cases[] = {
        {"fail 7", "无法打开端口（串口或设备不可用）"},
        {"fail 8", "连接脚本执行失败"},
        {"fail 10", "链路协商失败"},
        {"fail 19", "用户名或密码错误，验证失败"},
    };
    for (const auto& [behaviour, message] : cases) {
        events_.clear();
        Behave(behaviour);
        dialer_->Connect();
        ASSERT_TRUE(WaitForEvent(message))
            << behaviour << ": " << ::testing::PrintToString(events_);
        EXPECT_EQ(events_.front(), "0") << behaviour;
        EXPECT_EQ(events_.back(), message) << behaviour;
        EXPECT_FALSE(Contains(events_, "8192")) << behaviour;
        EXPECT_FALSE(Contains(events_, "8193")) << behaviour;
        EXPECT_FALSE(dialer_->IsConnected()) << behaviour;
    }
    EXPECT_EQ(traces_.size(), std::size(cases));
}

TEST_F(PppdLinkTest, ALineThatDropsEndsTheCallOnceAndCanBeDialledAgain) {
    ASSERT_TRUE(DialUp());
    ASSERT_EQ(kill(StandInPid(), SIGUSR1), 0);  // the modem hangs up; pppd ends
    ASSERT_TRUE(WaitForEvent("8193"));
    QTest::qWait(3 * PppdDialer::kPollIntervalMs);
    EXPECT_EQ(events_, WithState(kDialStates, "8193")) << "a line that dropped is no dial error";
    EXPECT_FALSE(dialer_->IsConnected());

    events_.clear();
    ASSERT_TRUE(DialUp());
    EXPECT_EQ(events_, kDialStates);

    // Leaving the program does not leave pppd running.
    const pid_t pid = StandInPid();
    dialer_.reset();
    errno = 0;
    EXPECT_EQ(kill(pid, 0), -1) << "pppd " << pid << " still runs";
    EXPECT_EQ(errno, ESRCH);
}

TEST_F(PppdLinkTest, APppdThatRedialsByItselfStartsANewCall) {
    Behave("persist");
    ASSERT_TRUE(DialUp());
    ASSERT_TRUE(SendUdp(kRemoteAddress, 100));
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialer_->BytesSent() == 128; }, kWaitMs));

    ASSERT_EQ(kill(StandInPid(), SIGUSR1), 0);
    ASSERT_TRUE(WaitForEvent("8193"));
    EXPECT_FALSE(dialer_->IsConnected());
    EXPECT_EQ(dialer_->BytesSent(), 128);  // the call that ended keeps its bytes
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return std::count(events_.begin(), events_.end(), "8192") == 2; }, kWaitMs));
    EXPECT_EQ(events_, WithState(WithState(kDialStates, "8193"), "8192"));
    EXPECT_TRUE(dialer_->IsConnected());
    EXPECT_EQ(dialer_->IPAddress(), kLinkAddress);
    EXPECT_EQ(dialer_->BytesSent(), 0);
}

TEST_F(PppdLinkTest, HangUpEndsAPppdThatIgnoresSigterm) {
    Behave("stubborn");
    ASSERT_TRUE(DialUp());
    dialer_->HangUp();
    dialer_->HangUp();
    ASSERT_TRUE(WaitForEvent("8193"));
    QTest::qWait(3 * PppdDialer::kPollIntervalMs);
    EXPECT_EQ(std::count(events_.begin(), events_.end(), "8193"), 1);
    EXPECT_FALSE(dialer_->IsConnected());
    EXPECT_FALSE(fs::exists(fs::path("/sys/class/net") / kInterface));
}

}  // namespace
}  // namespace vornik::testing

int main(int argc, char** argv) {
    // Before QCoreApplication: a new mount namespace needs a single thread.
    vornik::testing::EnterPrivateNetwork();
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
