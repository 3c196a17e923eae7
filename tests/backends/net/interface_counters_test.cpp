#include "net/interface_counters.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/if_tun.h>
#include <net/if.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <string>

#include "backends/pppd/private_network.h"
#include "support/temp_folder.h"

namespace vornik::testing {
namespace {

constexpr char kInterface[] = "vctun0";
constexpr char kFarEnd[] = "10.200.0.2";

// A point-to-point tun interface inside the test's private network, held open by
// the test: what goes out of it is read here, so every byte is real and exactly
// known. It vanishes when closed, like a ppp link.
class TunLink {
  public:
    TunLink() : fd_(open("/dev/net/tun", O_RDWR | O_CLOEXEC)) {
        ifreq request{};
        request.ifr_flags = IFF_TUN | IFF_NO_PI;
        std::strncpy(request.ifr_name, kInterface, IFNAMSIZ - 1);
        if (fd_ >= 0 &&
            (ioctl(fd_, TUNSETIFF, &request) != 0 ||
             !RunIp({"addr", "add", "10.200.0.1", "peer", kFarEnd, "dev", kInterface}) ||
             !RunIp({"link", "set", kInterface, "up"}))) {
            close(fd_);
            fd_ = -1;
        }
    }
    ~TunLink() {
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    TunLink(const TunLink&) = delete;
    TunLink& operator=(const TunLink&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    // Sends `payload` bytes towards the far end and takes the packet off the link;
    // the size of that packet, or -1.
    int Send(int payload) {
        pollfd ready{fd_, POLLIN, 0};
        std::array<char, 4096> packet{};
        if (!SendUdp(kFarEnd, payload) || poll(&ready, 1, 5000) != 1) {
            return -1;
        }
        return static_cast<int>(read(fd_, packet.data(), packet.size()));
    }

  private:
    int fd_;
};

void ExpectCounts(const ByteCounts& counts, std::int64_t received, std::int64_t sent) {
    EXPECT_EQ(counts.received, received);
    EXPECT_EQ(counts.sent, sent);
}

TEST(InterfaceCounters, CountRealBytesFromStartAndAcrossARecreatedInterface) {
    if (!PrivateNetworkProblem().empty()) {
        GTEST_SKIP() << PrivateNetworkProblem();
    }
    InterfaceCounters counters;
    {
        TunLink link;
        ASSERT_TRUE(link.IsOpen());
        // Traffic before Start belongs to no call.
        ASSERT_EQ(link.Send(1000), 1028);
        ExpectCounts(ReadInterfaceTotals(kInterface).value_or(ByteCounts{-1, -1}), 0, 1028);

        counters.Start(kInterface);
        ExpectCounts(counters.Read(), 0, 0);
        ASSERT_EQ(link.Send(500), 528);
        ASSERT_EQ(link.Send(500), 528);
        ExpectCounts(counters.Read(), 0, 1056);
    }
    // Gone: the counts stay what they were.
    EXPECT_FALSE(ReadInterfaceTotals(kInterface).has_value());
    ExpectCounts(counters.Read(), 0, 1056);

    // The same name again starts from zero in the kernel; the call keeps counting.
    TunLink again;
    ASSERT_TRUE(again.IsOpen());
    ASSERT_EQ(again.Send(100), 128);
    ExpectCounts(counters.Read(), 0, 1056 + 128);
    ASSERT_EQ(again.Send(100), 128);
    ExpectCounts(counters.Read(), 0, 1056 + 256);

    counters.Stop();
    ExpectCounts(counters.Read(), 0, 0);
}

// On a stand-in of /sys/class/net: what a real interface cannot be made to show.
TEST(InterfaceCounters, OnAStandInSysNamesStayInTheFolderAndANewIndexIsANewBaseline) {
    TempFolder folder;
    const auto sys = folder / "net";
    const auto writeInterface = [&sys](const std::string& name, int index, int rx, int tx) {
        WriteFile(sys / name / "ifindex", std::to_string(index) + "\n");
        WriteFile(sys / name / "statistics" / "rx_bytes", std::to_string(rx) + "\n");
        WriteFile(sys / name / "statistics" / "tx_bytes", std::to_string(tx) + "\n");
    };
    for (const char* name : {"ppp0", ".", ".."}) {
        writeInterface(name, 3, 4000, 300);
    }
    ExpectCounts(ReadInterfaceTotals("ppp0", sys).value_or(ByteCounts{}), 4000, 300);
    for (const char* name : {".", "..", "../net/ppp0"}) {
        EXPECT_FALSE(ReadInterfaceTotals(name, sys).has_value()) << name;
    }

    // Counting an interface that is not there yet starts from nothing.
    InterfaceCounters early(sys);
    early.Start("ppp1");
    writeInterface("ppp1", 5, 4000, 300);
    ExpectCounts(early.Read(), 4000, 300);

    // Re-created with totals already past the old ones before the next read: its
    // index changed, so it still counts from its own zero.
    writeInterface("ppp2", 7, 1000, 100);
    InterfaceCounters recreated(sys);
    recreated.Start("ppp2");
    writeInterface("ppp2", 7, 1500, 200);
    ExpectCounts(recreated.Read(), 500, 100);
    writeInterface("ppp2", 9, 2000, 300);
    ExpectCounts(recreated.Read(), 500 + 2000, 100 + 300);
}

}  // namespace
}  // namespace vornik::testing
