#include "pppd/pppd_dialer.h"

#include <arpa/inet.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "backends/pppd/private_network.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;

namespace vornik::testing {
namespace {

std::string privateNetworkProblem = "the private network was not set up";

QString IpProgram() {
    const QString onPath = QStandardPaths::findExecutable("ip");
    return onPath.isEmpty() ? QStandardPaths::findExecutable("ip", {"/usr/sbin", "/sbin"}) : onPath;
}

std::string TryToEnterPrivateNetwork() {
    if (geteuid() != 0 || IpProgram().isEmpty() || access("/dev/net/tun", R_OK | W_OK) != 0) {
        return "needs root, ip (iproute2) and /dev/net/tun";
    }
    // A sysfs mounted in a mount namespace of its own shows this network
    // namespace's interfaces and leaves the machine's /sys alone.
    if (unshare(CLONE_NEWNET | CLONE_NEWNS) != 0 ||
        mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        mount("sysfs", "/sys", "sysfs", 0, nullptr) != 0) {
        return std::string("cannot set up a private network and /sys: ") + std::strerror(errno);
    }
    // IPv6 would send packets of its own on every new interface and upset the
    // byte counts.
    std::ofstream("/proc/sys/net/ipv6/conf/default/disable_ipv6") << "1\n";
    return {};
}

}  // namespace

void EnterPrivateNetwork() {
    privateNetworkProblem = TryToEnterPrivateNetwork();
}

const std::string& PrivateNetworkProblem() {
    return privateNetworkProblem;
}

bool RunIp(const QStringList& arguments) {
    return QProcess::execute(IpProgram(), arguments) == 0;
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
constexpr char kPppoePeer[] =
    "# ISP over PPPoE\n"
    "plugin rp-pppoe.so nic-eth7\n"
    "# user \"commented\"\n"
    "user \"zhang san \\\"x\\\"\"\n";
constexpr fs::perms kOwnerOnly = fs::perms::owner_read | fs::perms::owner_write;

using Events = std::vector<std::string>;

Events operator+(Events events, const std::string& event) {
    events.push_back(event);
    return events;
}

long CountOf(const Events& events, const std::string& event) {
    return std::count(events.begin(), events.end(), event);
}

// A dialer over peers, secrets and run folders of the test's own, with what it
// reports recorded in order: states as their numbers, dial errors as messages.
class PppdDialerTest : public ::testing::Test {
  protected:
    PppdDialerTest() {
        fs::create_directories(Peers());
        fs::create_directories(Run());
    }

    fs::path Etc() const { return folder_ / "etc"; }
    fs::path Peers() const { return Etc() / "peers"; }
    fs::path Run() const { return folder_ / "run"; }

    std::unique_ptr<PppdDialer> MakeDialer(std::function<bool()> userMayDial = {},
                                           fs::path program = {}) {
        auto dialer = std::make_unique<PppdDialer>(
            PppdOptions{.peersFolder = Peers(),
                        .secretsFolder = Etc(),
                        .program = std::move(program),
                        .runFolder = Run(),
                        .notice = [this](const std::string& text) { notices_.push_back(text); },
                        .trace = [this](const std::string& text) { traces_.push_back(text); },
                        .userMayDial = std::move(userMayDial)});
        dialer->SetEvents(this,
                          {[this](int state) { events_.push_back(std::to_string(state)); },
                           [this](const std::string& message) { events_.push_back(message); }});
        return dialer;
    }

    bool WaitForEvent(const std::string& event, long count = 1) {
        return QTest::qWaitFor([&] { return CountOf(events_, event) >= count; }, kWaitMs);
    }

    TempFolder folder_;
    Events events_;
    std::vector<std::string> notices_;
    std::vector<std::string> traces_;
};

TEST_F(PppdDialerTest, ThePhoneBookIsTheReadablePeersFilesWithTheirUserAndDevice) {
    WriteFile(Peers() / kEntry, kPppoePeer);
    WriteFile(Peers() / "modem", "/dev/ttyUSB0 115200\nuser first\nuser second\n");
    WriteFile(Peers() / ".hidden", "user x\n");
    WriteFile(Peers() / "isp~", "user x\n");
    fs::create_directories(Peers() / "folder");
    fs::create_symlink(Peers() / "missing", Peers() / "broken");
    EXPECT_TRUE(PppdDialer::PeersReadable(Peers()));
    EXPECT_FALSE(PppdDialer::PeersReadable(Peers() / "folder"));

    auto dialer = MakeDialer();
    ASSERT_EQ(dialer->EntryCount(), 2);
    EXPECT_EQ(dialer->EntryNameAt(0), kEntry);
    EXPECT_EQ(dialer->EntryNameAt(1), "modem");
    dialer->LoadEntry(kEntry);
    EXPECT_EQ(dialer->EntryUserName(), "zhang san \"x\"");
    EXPECT_EQ(dialer->DeviceType(), "PPPoE (eth7)");
    dialer->LoadEntry("modem");
    EXPECT_EQ(dialer->EntryUserName(), "second");  // pppd takes the last
    EXPECT_EQ(dialer->DeviceType(), "PPP (/dev/ttyUSB0)");
    dialer->LoadEntry("broken");
    EXPECT_EQ(dialer->EntryName(), "");

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
    const std::string otherSecrets =
        "# Secrets for authentication using PAP\n"
        "\"alice\" * \"for any server\" *\n"
        "other provider \"keep\" *\n";
    WriteFile(Peers() / kEntry, "plugin rp-pppoe.so nic-eth7\nuser alice\nremotename provider\n");
    WriteFile(Etc() / "pap-secrets", otherSecrets + "alice provider old *\n");
    const fs::perms peerPerms = kOwnerOnly | fs::perms::group_read;
    fs::permissions(Peers() / kEntry, peerPerms);
    auto dialer = MakeDialer();

    // The session stores the password box when it loses the focus, then reloads.
    dialer->LoadEntry(kEntry);
    dialer->SetEntryPassword("new \"pw\"");
    dialer->SaveEntry(kEntry);
    dialer->LoadEntry(kEntry);
    EXPECT_EQ(dialer->EntryPassword(), "");
    const std::string secret = "\"alice\" \"provider\" \"new \\\"pw\\\"\" *\n";
    EXPECT_EQ(ReadFile(Etc() / "pap-secrets"), otherSecrets + secret);
    EXPECT_EQ(ReadFile(Etc() / "chap-secrets"), secret);
    for (const char* file : {"pap-secrets", "chap-secrets"}) {
        EXPECT_EQ(fs::status(Etc() / file).permissions() & fs::perms::all, kOwnerOnly) << file;
    }

    // The user name goes into the peers file in place of the old one.
    dialer->SetEntryUserName("bob smith");
    dialer->SaveEntry(kEntry);
    dialer->LoadEntry(kEntry);
    EXPECT_EQ(dialer->EntryUserName(), "bob smith");
    EXPECT_EQ(ReadFile(Peers() / kEntry),
              "plugin rp-pppoe.so nic-eth7\nuser \"bob smith\"\nremotename provider\n");
    EXPECT_EQ(fs::status(Peers() / kEntry).permissions() & fs::perms::all, peerPerms);
    EXPECT_EQ(ReadFile(Etc() / "chap-secrets"), secret);
    EXPECT_EQ(dialer->EntryCount(), 1) << "a temporary file was left as an entry";
    EXPECT_TRUE(notices_.empty());
}

// What `body` returns when run in a child process as the user nobody with the
// given supplementary groups.
std::string RunAsNobody(const std::vector<gid_t>& groups,
                        const std::function<std::string()>& body) {
    int ends[2];
    if (pipe(ends) != 0) {
        return "pipe failed";
    }
    if (fork() == 0) {
        const bool nobody = setgroups(groups.size(), groups.data()) == 0 && setgid(65534) == 0 &&
                            setuid(65534) == 0;
        const std::string result = nobody ? body() : "cannot become nobody";
        _exit(write(ends[1], result.data(), result.size()) < 0 ? 1 : 0);
    }
    close(ends[1]);
    std::string result;
    char buffer[512];
    for (ssize_t n; (n = read(ends[0], buffer, sizeof buffer)) > 0;) {
        result.append(buffer, static_cast<std::size_t>(n));
    }
    close(ends[0]);
    wait(nullptr);
    return result;
}

TEST_F(PppdDialerTest, AUserWhoIsNotRootSavesNothingAndOutsideDipCannotDial) {
    const group* dip = getgrnam("dip");
    if (geteuid() != 0 || dip == nullptr) {
        GTEST_SKIP() << "needs root to run parts as another user, and a dip group";
    }
    const gid_t dipGroup = dip->gr_gid;
    const std::string secrets = "\"zhang san \\\"x\\\"\" * old *\n";
    WriteFile(Peers() / kEntry, kPppoePeer);
    WriteFile(Etc() / "pap-secrets", secrets);
    fs::permissions(Etc() / "pap-secrets", kOwnerOnly);
    fs::permissions(folder_.Path(),
                    fs::perms::all & ~fs::perms::group_write & ~fs::perms::others_write);

    const std::string seen = RunAsNobody({}, [this] {
        auto dialer = MakeDialer();
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
    EXPECT_EQ(ReadFile(Etc() / "pap-secrets"), secrets);
    EXPECT_FALSE(fs::exists(Etc() / "chap-secrets"));
    EXPECT_EQ(ReadFile(Peers() / kEntry), kPppoePeer);
    EXPECT_EQ(RunAsNobody({dipGroup}, [] { return UserMayRunPppd() ? "may" : "may not"; }), "may");
}

TEST_F(PppdDialerTest, ADialThatCannotStartFailsFromTheEventLoopWithTheReason) {
    WriteFile(Peers() / kEntry, kPppoePeer);
    const std::tuple<bool, const char*, std::string> cases[] = {
        {false, kEntry,
         "当前用户不在 dip 组中，无法运行 pppd 拨号：请让管理员执行 adduser 用户名 dip 后重新登录"},
        {true, kEntry, "未找到 pppd：请安装软件包 ppp"},
        {true, "", "没有选择要拨号的连接"},
    };
    for (const auto& [userMayDial, entry, message] : cases) {
        events_.clear();
        auto dialer = MakeDialer([may = userMayDial] { return may; }, folder_ / "none" / "pppd");
        dialer->LoadEntry(entry);
        dialer->Connect();
        EXPECT_TRUE(events_.empty()) << "reported inside Connect: " << message;
        ASSERT_TRUE(WaitForEvent(message)) << message;
        EXPECT_EQ(events_, Events{message});
    }
}

// ---- Links through the stand-in pppd -----------------------------------------

constexpr char kInterface[] = "ppp7";            // as the stand-in names its link
constexpr char kLinkAddress[] = "10.64.64.2";    // the stand-in's local end
constexpr char kRemoteAddress[] = "10.64.64.1";  // and the peer's
const Events kDialStates = {"0", "2", "3", "18", "8192"};

// The stand-in pppd first on PATH, told where the run folder is; it brings up a
// tun interface named like a ppp one inside the test's private network.
class PppdLinkTest : public PppdDialerTest {
  protected:
    void SetUp() override {
        if (!PrivateNetworkProblem().empty() ||
            QStandardPaths::findExecutable("python3").isEmpty()) {
            GTEST_SKIP() << "needs python3 for the stand-in pppd; " << PrivateNetworkProblem();
        }
        const fs::path bin = folder_ / "bin";
        fs::create_directories(bin);
        fs::copy_file(fs::path(__FILE__).parent_path() / "fake_pppd.py", bin / "pppd");
        fs::permissions(bin / "pppd", fs::perms::owner_all);
        savedPath_ = qgetenv("PATH");
        qputenv("PATH", QByteArray::fromStdString(bin.string()) + ":" + savedPath_);
        qputenv("FAKE_PPPD_RUN", QByteArray::fromStdString(Run().string()));
        qputenv("FAKE_PPPD_LOG", QByteArray::fromStdString((folder_ / "runs").string()));
        Behave("up");
        WriteFile(Peers() / kEntry, kPppoePeer);
        dialer_ = MakeDialer([] { return true; });
        dialer_->LoadEntry(kEntry);
    }
    void TearDown() override {
        dialer_.reset();
        if (!savedPath_.isEmpty()) {
            qputenv("PATH", savedPath_);
        }
    }

    static void Behave(const char* behaviour) { qputenv("FAKE_PPPD_BEHAVIOUR", behaviour); }
    pid_t StandInPid() const { return std::stoi(ReadFile(Run() / "ppp-isp.pid")); }

    // Dials and waits for the link; nothing may be reported inside Connect.
    bool DialUp() {
        const std::size_t before = events_.size();
        dialer_->Connect();
        EXPECT_EQ(events_.size(), before) << "reported inside Connect";
        return WaitForEvent("8192");
    }
    // Waits for the end of the call and then for pppd itself to be gone: a wrong
    // second report would come with pppd's end, and none can come after it.
    bool WaitForTheEnd(pid_t pppd) {
        const bool ended = WaitForEvent("8193");
        const bool gone = QTest::qWaitFor([pppd] { return kill(pppd, 0) != 0; }, kWaitMs);
        QCoreApplication::processEvents();
        return ended && gone;
    }
    // As the session does once a second: asks whether the link is up, which is
    // when a vanished link is noticed. Its end must come from the event loop,
    // never from inside the question.
    bool WaitForEventAskingIsConnected(const std::string& event, long count = 1) {
        return QTest::qWaitFor(
            [&] {
                const std::size_t before = events_.size();
                dialer_->IsConnected();
                EXPECT_EQ(events_.size(), before) << "reported inside IsConnected";
                return CountOf(events_, event) >= count;
            },
            kWaitMs);
    }
    // 100 bytes of payload in an IPv4 and UDP header: 128 bytes on a ppp link.
    bool SendAndSee128BytesSent() {
        return SendUdp(kRemoteAddress, 100) &&
               QTest::qWaitFor([&] { return dialer_->BytesSent() == 128; }, kWaitMs);
    }

    std::unique_ptr<PppdDialer> dialer_;
    QByteArray savedPath_;
};

TEST_F(PppdLinkTest, ALinkComesUpStepByStepIsMeteredAndHangUpEndsItOnceEvenPastSigterm) {
    Behave("stubborn");
    ASSERT_TRUE(DialUp()) << ::testing::PrintToString(events_);
    EXPECT_EQ(events_, kDialStates);
    EXPECT_EQ(ReadFile(folder_ / "runs"), "call isp nodetach linkname isp\n");
    EXPECT_TRUE(dialer_->IsConnected());
    EXPECT_EQ(dialer_->IPAddress(), kLinkAddress);
    EXPECT_EQ(dialer_->DeviceType(), "PPPoE (eth7)");
    EXPECT_TRUE(SendAndSee128BytesSent()) << dialer_->BytesSent();

    const pid_t pppd = StandInPid();
    dialer_->HangUp();
    dialer_->HangUp();
    EXPECT_EQ(events_.size(), kDialStates.size()) << "reported inside HangUp";
    ASSERT_TRUE(WaitForTheEnd(pppd));
    EXPECT_EQ(events_, kDialStates + "8193");
    EXPECT_FALSE(dialer_->IsConnected());
    EXPECT_EQ(dialer_->IPAddress(), "");
    EXPECT_FALSE(fs::exists(fs::path("/sys/class/net") / kInterface));
    // The call's record is written after the link has gone: its bytes stay.
    EXPECT_EQ(dialer_->BytesSent(), 128);
}

TEST_F(PppdLinkTest, APppdThatGivesUpBeforeTheLinkIsUpSaysWhyInChinese) {
    // The first and last codes pppd documents, and one past them.
    const std::pair<const char*, std::string> cases[] = {
        {"fail 1", "pppd 发生致命错误"},
        {"fail 19", "用户名或密码错误，验证失败"},
        {"fail 20", "pppd 异常退出（退出码 20）"},
    };
    for (const auto& [behaviour, message] : cases) {
        events_.clear();
        Behave(behaviour);
        dialer_->Connect();
        ASSERT_TRUE(WaitForEvent(message))
            << behaviour << ": " << ::testing::PrintToString(events_);
        EXPECT_EQ(events_.front(), "0") << behaviour;
        EXPECT_EQ(events_.back(), message) << behaviour;
        EXPECT_EQ(CountOf(events_, "8192") + CountOf(events_, "8193"), 0) << behaviour;
        EXPECT_FALSE(dialer_->IsConnected()) << behaviour;
    }
    EXPECT_EQ(traces_.size(), std::size(cases));
}

TEST_F(PppdLinkTest, ALineThatDropsEndsTheCallOnceAndAPersistentPppdStartsANewOne) {
    ASSERT_TRUE(DialUp());
    const pid_t pppd = StandInPid();
    ASSERT_EQ(kill(pppd, SIGUSR1), 0);  // the modem hangs up; pppd ends
    ASSERT_TRUE(WaitForTheEnd(pppd));
    EXPECT_EQ(events_, kDialStates + "8193") << "a line that dropped is no dial error";
    EXPECT_FALSE(dialer_->IsConnected());

    // With `persist`, pppd redials by itself after the line drops.
    events_.clear();
    Behave("persist");
    ASSERT_TRUE(DialUp());
    ASSERT_TRUE(SendAndSee128BytesSent());
    ASSERT_EQ(kill(StandInPid(), SIGUSR1), 0);
    ASSERT_TRUE(WaitForEventAskingIsConnected("8193"));
    EXPECT_EQ(dialer_->BytesSent(), 128);  // the call that ended keeps its bytes
    ASSERT_TRUE(WaitForEvent("8192", 2));
    EXPECT_EQ(events_, kDialStates + "8193" + "8192");
    EXPECT_TRUE(dialer_->IsConnected());
    EXPECT_EQ(dialer_->IPAddress(), kLinkAddress);
    EXPECT_EQ(dialer_->BytesSent(), 0);

    // Leaving the program does not leave pppd running.
    const pid_t pid = StandInPid();
    dialer_.reset();
    errno = 0;
    EXPECT_EQ(kill(pid, 0), -1) << "pppd " << pid << " still runs";
    EXPECT_EQ(errno, ESRCH);
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
