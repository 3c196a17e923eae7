// The pppd and counter tests run inside a network namespace of their own, with
// its own /sys, so that the interfaces they create and the bytes they send never
// touch the machine's network.
#pragma once

#include <QStringList>
#include <string>

namespace vornik::testing {

// Moves this process into new network and mount namespaces. Only while the
// process has a single thread: first in main.
void EnterPrivateNetwork();
// Why the tests that need the private network skip; empty when it is there.
const std::string& PrivateNetworkProblem();

// Runs `ip` inside the private network; true when it succeeded.
bool RunIp(const QStringList& arguments);
// Sends one UDP datagram of `payload` bytes to `address` inside the private
// network; true when it went out whole.
bool SendUdp(const char* address, int payload);

}  // namespace vornik::testing
