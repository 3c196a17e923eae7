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
    return QTest::qWaitFor([&outcome] { return outcome.has_value(); }, kWaitMs) ? outcome
                                                                                : std::nullopt;
}

bool WaitUntilNoPingRuns(PingProbe& probe) {
    return QTest::qWaitFor([&probe] { return probe.findChildren<QProcess*>().isEmpty(); }, kWaitMs);
}

TEST(PingProbe, RealPingsFindLoopbackUpAndNoRouteNorNameInAnEmptyNamespace) {
    const QString unshare = QStandardPaths::findExecutable("unshare");
    const QString ping = QStandardPaths::findExecutable("ping");
    if (geteuid() != 0 || unshare.isEmpty() || ping.isEmpty()) {
        GTEST_SKIP() << "needs root, unshare (util-linux) and ping (iputils-ping)";
    }
    PingProbe onPath;
    EXPECT_EQ(Ping(onPath, "127.0.0.1"), PingOutcome::kUp);
    // Each ping in a network namespace of its own, without even loopback up.
    PingProbe isolated({}, {unshare, "--net", ping});
    EXPECT_EQ(Ping(isolated, "192.0.2.1"), PingOutcome::kNoReply);
    EXPECT_EQ(Ping(isolated, "nosuchhost.invalid"), PingOutcome::kUnknownHost);
}

TEST(PingProbe, KeepAliveIsOneLargeEchoAtATimeAndOptionLikeHostsNeverRunPing) {
    TempFolder folder;
    // Stands in for ping: records its arguments, prints nothing and succeeds.
    PingProbe probe({}, {"/bin/sh", "-c", R"(printf '%s\n' "$*" >> "$0")",
                         QString::fromStdString((folder / "runs").string())});
    for (const std::string host : {"-f", "--help", ""}) {
        EXPECT_EQ(Ping(probe, host), PingOutcome::kUnknownHost) << host;
        probe.SendKeepAlive(host);
    }
    probe.SendKeepAlive("127.0.0.1");
    probe.SendKeepAlive("127.0.0.1");
    ASSERT_TRUE(WaitUntilNoPingRuns(probe));
    probe.SendKeepAlive("127.0.0.1");
    ASSERT_TRUE(WaitUntilNoPingRuns(probe));
    EXPECT_EQ(ReadFile(folder / "runs"),
              "-n -c 1 -s 1024 -W 1 127.0.0.1\n"
              "-n -c 1 -s 1024 -W 1 127.0.0.1\n");
}

TEST(PingProbe, APingThatCannotStartGetsNoReplyAndIsTracedOnce) {
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

TEST(PingProbe, DestroyingTheProbeStopsItsPingsAndDropsTheirAnswers) {
    TempFolder folder;
    const auto pidFile = folder / "pid";
    bool answered = false;
    {
        PingProbe probe({},
                        {"/bin/sh", "-c", R"(echo $$ > "$0.tmp"; mv "$0.tmp" "$0"; exec sleep 600)",
                         QString::fromStdString(pidFile.string())});
        probe.PingHost("127.0.0.1", [&answered](PingOutcome) { answered = true; });
        ASSERT_TRUE(QTest::qWaitFor([&] { return std::filesystem::exists(pidFile); }, kWaitMs));
    }
    EXPECT_FALSE(answered);
    const int pid = std::stoi(ReadFile(pidFile));
    errno = 0;
    EXPECT_EQ(kill(pid, 0), -1) << "ping " << pid << " still runs";
    EXPECT_EQ(errno, ESRCH);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
