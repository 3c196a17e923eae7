#include "dialer/link_probe.h"

#include <gtest/gtest.h>

namespace vornik {
namespace {

// Outputs of iputils ping 20221126 run with LC_ALL=C, stdout and stderr together,
// recorded on Debian 12 against loopback and addresses inside private network
// namespaces.

constexpr const char* kTwoReplies =
    "PING 127.0.0.1 (127.0.0.1) 56(84) bytes of data.\n"
    "64 bytes from 127.0.0.1: icmp_seq=1 ttl=64 time=0.080 ms\n"
    "64 bytes from 127.0.0.1: icmp_seq=2 ttl=64 time=0.041 ms\n"
    "\n"
    "--- 127.0.0.1 ping statistics ---\n"
    "2 packets transmitted, 2 received, 0% packet loss, time 1020ms\n"
    "rtt min/avg/max/mdev = 0.041/0.060/0.080/0.019 ms\n";

constexpr const char* kFirstLostSecondAnswered =
    "PING 203.0.113.2 (203.0.113.2) 56(84) bytes of data.\n"
    "64 bytes from 203.0.113.2: icmp_seq=2 ttl=64 time=0.361 ms\n"
    "\n"
    "--- 203.0.113.2 ping statistics ---\n"
    "2 packets transmitted, 1 received, 50% packet loss, time 1023ms\n"
    "rtt min/avg/max/mdev = 0.361/0.361/0.361/0.000 ms\n";

// Timeouts print nothing between the header and the statistics.
constexpr const char* kTwoTimeouts =
    "PING 203.0.113.2 (203.0.113.2) 56(84) bytes of data.\n"
    "\n"
    "--- 203.0.113.2 ping statistics ---\n"
    "2 packets transmitted, 0 received, 100% packet loss, time 1020ms\n"
    "\n";

// Recorded with a longer -W, so that the router's neighbour lookup gave up in time.
constexpr const char* kHostUnreachableFromRouter =
    "PING 203.0.113.2 (203.0.113.2) 56(84) bytes of data.\n"
    "From 192.0.2.1 icmp_seq=1 Destination Host Unreachable\n"
    "From 192.0.2.1 icmp_seq=2 Destination Host Unreachable\n"
    "\n"
    "--- 203.0.113.2 ping statistics ---\n"
    "2 packets transmitted, 0 received, +2 errors, 100% packet loss, time 1002ms\n";

TEST(ClassifyPingOutput, RecordedIputilsOutputs) {
    struct Case {
        bool exited;
        int status;
        const char* output;
        PingOutcome expected;
    };
    const Case cases[] = {
        {true, 0, kTwoReplies, PingOutcome::kUp},
        {true, 0, kFirstLostSecondAnswered, PingOutcome::kUp},
        {true, 1, kTwoTimeouts, PingOutcome::kNoReply},
        {true, 1, kHostUnreachableFromRouter, PingOutcome::kNoReply},
        {true, 2, "ping: connect: Network is unreachable\n", PingOutcome::kNoReply},
        {true, 2, "ping: nosuchhost.invalid: Name or service not known\n",
         PingOutcome::kUnknownHost},
        {true, 2, "ping: nosuchhost.invalid: Temporary failure in name resolution\n",
         PingOutcome::kUnknownHost},
        // Killed by the deadline or a signal: whatever it printed is incomplete.
        {false, 9, kTwoReplies, PingOutcome::kNoReply},
        // An error that says nothing about the link must not tear it down.
        {true, 2, "ping: the decimal value of TOS bits must be in range 0-255: 999\n",
         PingOutcome::kUp},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ClassifyPingOutput(c.exited, c.status, c.output), c.expected) << c.output;
    }
}

}  // namespace
}  // namespace vornik
