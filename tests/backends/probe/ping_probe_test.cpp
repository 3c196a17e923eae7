#include "probe/ping_probe.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <cerrno>
#include <optional>
#include <string>
#include <vector>

#include "support/temp_folder.h"

namespace {

using vornik::PingOutcome;
using vornik::PingProbe;
using vornik::testing::ReadFile;
using vornik::testing::TempFolder;

// Far beyond the probe's own deadline: a wait that runs out means no answer came.
constexpr int kWaitMs = 3 * 1000 * static_cast<int>(PingProbe::kDeadline.count());

// The answer, or nothing when none came. The caller must get control back first
// in every case: it may be in the middle of the tick that asked.
std::optional<PingOutcome> Ping(PingProbe& probe, const std::string& host) {
    std::optional<PingOutcome> outcome;
    probe.PingHost(host, [&outcome](PingOutcome answer) { outcome = answer; });
    EXPECT_FALSE(outcome.has_value()) << "answered before PingHost returned: " << host;
    if (!QTest::qWaitFor([&outcome] { return outcome.has_value(); }, kWaitMs)) {
        return std::nullopt;
    }
    return outcome;
}

bool WaitUntilNoPingRuns(PingProbe& probe) {
    return QTest::qWaitFor([&probe] { return probe.findChildren<QProcess*>().isEmpty(); }, kWaitMs);
}

// Stands in for ping: appends the arguments it was given to `file`, prints nothing
// and succeeds.
QStringList RecordingCommand(const std::filesystem::path& file) {
    return {"/bin/sh", "-c", R"(printf '%s\n' "$*" >> "$0")",
            QString::fromStdString(file.string())};
}

QString FindSystemProgram(const QString& name) {
    const QString onPath = QStandardPaths::findExecutable(name);
    return onPath.isEmpty() ? QStandardPaths::findExecutable(name, {"/usr/sbin", "/sbin"}) : onPath;
}

// A network namespace of the test's own with only its loopback up: nothing sent
// inside it leaves the machine, and no name resolves there.
class PrivateNetwork {
  public:
    PrivateNetwork()
        : name_(QStringLiteral("vornik-probe-%1").arg(getpid())),
          ip_(FindSystemProgram("ip")),
          ping_(FindSystemProgram("ping")) {
        if (geteuid() != 0) {
            why_ = "creating a network namespace needs root";
        } else if (ip_.isEmpty() || ping_.isEmpty()) {
            why_ = "ip (iproute2) or ping (iputils-ping) is not installed";
        } else if (!Ip({"netns", "add", name_})) {
            why_ = "ip netns add failed (no network namespaces here?)";
        } else {
            created_ = true;
            if (!Ip({"-n", name_, "link", "set", "lo", "up"})) {
                why_ = "cannot bring up loopback in the namespace";
            }
        }
    }
    ~PrivateNetwork() {
        if (created_) {
            Ip({"netns", "del", name_});
        }
    }

    // Empty when the namespace is ready.
    const std::string& WhyUnusable() const { return why_; }
    QStringList PingCommand() const { return {ip_, "netns", "exec", name_, ping_}; }

    // 192.0.2.1/24 on one end of a veth pair, and a fixed neighbour entry for
    // 192.0.2.2 that no interface answers to: echoes to it go out and are lost.
    bool AddSilentNeighbour() const {
        return Ip({"-n", name_, "link", "add", "v0", "type", "veth", "peer", "name", "v1"}) &&
               Ip({"-n", name_, "addr", "add", "192.0.2.1/24", "dev", "v0"}) &&
               Ip({"-n", name_, "link", "set", "v0", "up"}) &&
               Ip({"-n", name_, "link", "set", "v1", "up"}) &&
               Ip({"-n", name_, "neigh", "add", "192.0.2.2", "lladdr", "02:00:00:00:00:02", "dev",
                   "v0"});
    }

  private:
    bool Ip(const QStringList& arguments) const { return QProcess::execute(ip_, arguments) == 0; }

    QString name_;
    QString ip_;
    QString ping_;
    std::string why_;
    bool created_ = false;
};

TEST(PingProbeOnThisMachine, LoopbackIsUp) {
    if (QStandardPaths::findExecutable("ping").isEmpty()) {
        GTEST_SKIP() << "ping (iputils-ping) is not installed";
    }
    PingProbe probe;
    EXPECT_EQ(Ping(probe, "127.0.0.1"), PingOutcome::kUp);
}

class PingProbeInPrivateNetwork : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!network_.WhyUnusable().empty()) {
            GTEST_SKIP() << network_.WhyUnusable();
        }
    }

    PrivateNetwork network_;
    PingProbe probe_{{}, network_.PingCommand()};
};

TEST_F(PingProbeInPrivateNetwork, AnAddressWithoutARouteGetsNoReply) {
    EXPECT_EQ(Ping(probe_, "192.0.2.1"), PingOutcome::kNoReply);
}

TEST_F(PingProbeInPrivateNetwork, EchoesThatAreNeverAnsweredGetNoReply) {
    if (!network_.AddSilentNeighbour()) {
        GTEST_SKIP() << "cannot create a veth pair in the namespace";
    }
    EXPECT_EQ(Ping(probe_, "192.0.2.2"), PingOutcome::kNoReply);
}

TEST_F(PingProbeInPrivateNetwork, ANameThatDoesNotResolveIsAnUnknownHost) {
    EXPECT_EQ(Ping(probe_, "nosuchhost.invalid"), PingOutcome::kUnknownHost);
}

TEST(PingProbe, AHostThatPingWouldReadAsAnOptionIsUnknownAndNeverRun) {
    TempFolder folder;
    PingProbe probe({}, RecordingCommand(folder / "runs"));
    for (const std::string host : {"-f", "--help", ""}) {
        EXPECT_EQ(Ping(probe, host), PingOutcome::kUnknownHost) << host;
    }
    probe.SendKeepAlive("-f");
    ASSERT_TRUE(WaitUntilNoPingRuns(probe));
    EXPECT_FALSE(std::filesystem::exists(folder / "runs"));
}

TEST(PingProbe, APingThatCannotStartGetsNoReplyAndIsTraced) {
    // A missing program, and no ping found on PATH at all.
    for (const QString& program : {QStringLiteral("/nonexistent/vornik-ping"), QString()}) {
        std::vector<std::string> traces;
        PingProbe probe([&traces](const std::string& line) { traces.push_back(line); }, {program});

        EXPECT_EQ(Ping(probe, "127.0.0.1"), PingOutcome::kNoReply);
        ASSERT_EQ(traces.size(), 1u);
        EXPECT_NE(traces[0].find(program.isEmpty() ? "PATH" : program.toStdString()),
                  std::string::npos)
            << traces[0];

        // The idle link asks every second; the log hears about it once.
        for (int second = 0; second < 3; ++second) {
            probe.SendKeepAlive("127.0.0.1");
            ASSERT_TRUE(WaitUntilNoPingRuns(probe));
        }
        EXPECT_EQ(traces.size(), 2u);
    }
}

TEST(PingProbe, KeepAliveSendsOneLargeEchoAndNeverTwoAtOnce) {
    TempFolder folder;
    PingProbe probe({}, RecordingCommand(folder / "runs"));

    probe.SendKeepAlive("127.0.0.1");
    probe.SendKeepAlive("127.0.0.1");
    probe.SendKeepAlive("127.0.0.1");
    ASSERT_TRUE(WaitUntilNoPingRuns(probe));
    probe.SendKeepAlive("127.0.0.1");
    ASSERT_TRUE(WaitUntilNoPingRuns(probe));

    EXPECT_EQ(ReadFile(folder / "runs"),
              "-n -c 1 -s 1024 -W 1 127.0.0.1\n"
              "-n -c 1 -s 1024 -W 1 127.0.0.1\n");
}

TEST(PingProbe, DestroyingTheProbeStopsItsPingsAndDropsTheirAnswers) {
    TempFolder folder;
    const auto pidFile = folder / "pid";
    bool answered = false;
    std::string pid;
    {
        PingProbe probe({},
                        {"/bin/sh", "-c", R"(echo $$ > "$0.tmp"; mv "$0.tmp" "$0"; exec sleep 600)",
                         QString::fromStdString(pidFile.string())});
        probe.PingHost("127.0.0.1", [&answered](PingOutcome) { answered = true; });
        ASSERT_TRUE(QTest::qWaitFor([&] { return std::filesystem::exists(pidFile); }, kWaitMs));
        pid = ReadFile(pidFile);
    }
    EXPECT_FALSE(answered);
    errno = 0;
    EXPECT_EQ(kill(std::stoi(pid), 0), -1) << "ping " << pid << " still runs";
    EXPECT_EQ(errno, ESRCH);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
