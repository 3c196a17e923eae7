#include "metering/speed_meter.h"

#include <algorithm>
#include <limits>

#include "base/saturating.h"

namespace vornik {
namespace {

// A tick that comes early would otherwise divide a second's traffic by a sliver.
constexpr double kShortestInterval = 0.25;

}  // namespace

std::int64_t SpeedMeter::Accepted(std::int64_t now, std::int64_t last, double seconds) {
    if (now < last) {
        return 0;
    }
    // Counters at both ends of 64 bits lie further apart than a signed difference
    // holds; the unsigned one is exact and, so far apart, always a jump.
    const std::uint64_t delta = static_cast<std::uint64_t>(now) - static_cast<std::uint64_t>(last);
    if (static_cast<double>(delta) > kMaxBytesPerSecond * (seconds + 1) ||
        delta > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
        return 0;
    }
    return static_cast<std::int64_t>(delta);
}

void SpeedMeter::SampleSpeed(bool connected, std::int64_t bytesReceived, std::int64_t bytesSent,
                             std::int64_t monotonicMs) {
    const double previousDown = NewestDown();
    const double previousUp = NewestUp();
    const double seconds =
        lastSampleMs_
            ? std::max(
                  kShortestInterval,
                  (static_cast<double>(monotonicMs) - static_cast<double>(*lastSampleMs_)) / 1000.0)
            : 1.0;
    lastSampleMs_ = monotonicMs;
    speedIndex_ = (speedIndex_ + 1) % kSlots;
    const auto slot = static_cast<std::size_t>(speedIndex_);
    if (!connected) {
        history_[0][slot] = 0;
        history_[1][slot] = 0;
        lastBytesIn_ = 0;
        lastBytesOut_ = 0;
        return;
    }
    const std::int64_t in = Accepted(bytesReceived, lastBytesIn_, seconds);
    const std::int64_t out = Accepted(bytesSent, lastBytesOut_, seconds);
    if ((in == 0 && bytesReceived != lastBytesIn_) || (out == 0 && bytesSent != lastBytesOut_)) {
        ++counterResets_;
    }
    history_[0][slot] = static_cast<double>(in) / 1024.0 / seconds / 2 + previousDown / 2;
    history_[1][slot] = static_cast<double>(out) / 1024.0 / seconds / 2 + previousUp / 2;
    callBytesIn_ = SaturatingAdd(callBytesIn_, in);
    callBytesOut_ = SaturatingAdd(callBytesOut_, out);
    lastBytesIn_ = bytesReceived;
    lastBytesOut_ = bytesSent;
}

void SpeedMeter::StartCall(std::int64_t bytesReceived, std::int64_t bytesSent,
                           bool countEarlierBytes) {
    // The speed goes on from the counters as they are now, so earlier bytes never
    // show as one second's burst.
    lastBytesIn_ = bytesReceived;
    lastBytesOut_ = bytesSent;
    callBytesIn_ = countEarlierBytes ? std::max<std::int64_t>(bytesReceived, 0) : 0;
    callBytesOut_ = countEarlierBytes ? std::max<std::int64_t>(bytesSent, 0) : 0;
    counterResets_ = 0;
}

std::vector<GraphColumn> SpeedMeter::Columns(double maxSpeed) const {
    std::vector<GraphColumn> columns;
    const double scale = maxSpeed > 0 ? kFullScale / maxSpeed : 0;
    for (int x = 0; x < kSlots; ++x) {
        const auto slot = static_cast<std::size_t>((speedIndex_ + 1 + x) % kSlots);
        const double down = history_[0][slot];
        if (down > 0) {
            columns.push_back({x, down * scale, (down + history_[1][slot]) * scale});
        }
    }
    return columns;
}

}  // namespace vornik
