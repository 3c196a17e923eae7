#include "net/interface_counters.h"

#include <fstream>

namespace vornik {
namespace {

std::optional<std::int64_t> ReadNumber(const std::filesystem::path& file) {
    std::ifstream in(file);
    long long value = 0;
    if (!(in >> value) || value < 0) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(value);
}

// A name that stays inside the folder: "." and ".." would read the folder's
// neighbours as an interface.
bool IsInterfaceName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

}  // namespace

std::optional<ByteCounts> ReadInterfaceTotals(const std::string& interfaceName,
                                              const std::filesystem::path& sysClassNet) {
    if (!IsInterfaceName(interfaceName)) {
        return std::nullopt;
    }
    const auto statistics = sysClassNet / interfaceName / "statistics";
    const auto received = ReadNumber(statistics / "rx_bytes");
    const auto sent = ReadNumber(statistics / "tx_bytes");
    if (!received || !sent) {
        return std::nullopt;
    }
    return ByteCounts{*received, *sent};
}

std::optional<std::int64_t> InterfaceIndex(const std::string& interfaceName,
                                           const std::filesystem::path& sysClassNet) {
    if (!IsInterfaceName(interfaceName)) {
        return std::nullopt;
    }
    return ReadNumber(sysClassNet / interfaceName / "ifindex");
}

void InterfaceCounters::Start(const std::string& interfaceName) {
    interface_ = interfaceName;
    baseline_ = ReadInterfaceTotals(interface_, sysClassNet_).value_or(ByteCounts{});
    index_ = InterfaceIndex(interface_, sysClassNet_);
    last_ = baseline_;
    counted_ = {};
}

void InterfaceCounters::Stop() {
    interface_.clear();
    index_.reset();
    baseline_ = counted_ = last_ = {};
}

ByteCounts InterfaceCounters::Read() {
    if (interface_.empty()) {
        return {};
    }
    const auto totals = ReadInterfaceTotals(interface_, sysClassNet_);
    if (!totals) {
        return {counted_.received + last_.received - baseline_.received,
                counted_.sent + last_.sent - baseline_.sent};
    }
    // A re-created interface (a new index) counts from zero, even when its totals
    // have already passed the old ones by the time they are read.
    const auto index = InterfaceIndex(interface_, sysClassNet_);
    const bool recreated = index && index_ && *index != *index_;
    if (recreated || totals->received < last_.received || totals->sent < last_.sent) {
        counted_.received += last_.received - baseline_.received;
        counted_.sent += last_.sent - baseline_.sent;
        baseline_ = {};
    }
    if (index) {
        index_ = index;
    }
    last_ = *totals;
    return {counted_.received + last_.received - baseline_.received,
            counted_.sent + last_.sent - baseline_.sent};
}

}  // namespace vornik
