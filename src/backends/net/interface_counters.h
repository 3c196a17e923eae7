// Byte counters of a network interface, read from
// /sys/class/net/IFACE/statistics/{rx,tx}_bytes and counted from a baseline, so a
// link's counters start at zero when it comes up even where the interface
// existed before.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace vornik {

struct ByteCounts {
    std::int64_t received = 0;
    std::int64_t sent = 0;
};

// The kernel's totals for the interface; nothing when it does not exist.
std::optional<ByteCounts> ReadInterfaceTotals(
    const std::string& interfaceName, const std::filesystem::path& sysClassNet = "/sys/class/net");

// The kernel's index of the interface; a re-created interface gets a new one.
std::optional<std::int64_t> InterfaceIndex(
    const std::string& interfaceName, const std::filesystem::path& sysClassNet = "/sys/class/net");

class InterfaceCounters {
  public:
    explicit InterfaceCounters(std::filesystem::path sysClassNet = "/sys/class/net")
        : sysClassNet_(std::move(sysClassNet)) {}

    // Counts from now on: the current totals become zero.
    void Start(const std::string& interfaceName);
    void Stop();
    // Bytes since Start; 0 when stopped or the interface is gone. Totals that went
    // backwards (the interface was re-created) start a new baseline.
    ByteCounts Read();
    const std::string& InterfaceName() const { return interface_; }

  private:
    std::filesystem::path sysClassNet_;
    std::string interface_;
    ByteCounts baseline_;
    ByteCounts counted_;  // bytes counted before the last new baseline
    ByteCounts last_;
    std::optional<std::int64_t> index_;
};

}  // namespace vornik
