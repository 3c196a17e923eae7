// Once a second the link's counters become smoothed download and upload speeds in
// a ring of the last 100 samples, and the call's own byte totals.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace vornik {

// One column of the speed graph. The graph is 100 columns of 20 units; a speed
// of maxSpeed is 560 units high (taller columns are clipped by the drawing).
struct GraphColumn {
    int x = 0;         // 0 oldest .. 99 newest
    double down = 0;   // height of the green download box, from the bottom
    double total = 0;  // top of the yellow upload box stacked on it
};

class SpeedMeter {
  public:
    static constexpr int kSlots = 100;
    static constexpr double kColumnWidth = 20;
    static constexpr double kFullScale = 560;
    // Faster than any link this program meters (10 Gbit/s): a counter jump beyond
    // it within an interval is a reset or a wrap, not traffic, and the simulated
    // phone book refuses a faster rate.
    static constexpr double kMaxBytesPerSecond = 1.25e9;

    // One metering step. While down both new samples are 0 and the baseline is 0,
    // so the first sample of a link measures its counters from the start.
    void SampleSpeed(bool connected, std::int64_t bytesReceived, std::int64_t bytesSent,
                     std::int64_t monotonicMs);

    // A call begins on a link whose counters read these now. An announced call
    // counts from them; a link found already up brings into the call everything
    // they have counted, as the back-end reports it for the link.
    void StartCall(std::int64_t bytesReceived, std::int64_t bytesSent, bool countEarlierBytes);
    std::int64_t CallBytesIn() const { return callBytesIn_; }
    std::int64_t CallBytesOut() const { return callBytesOut_; }
    // Samples of the call at which a counter went backwards or jumped: the bytes
    // of those intervals are not in the call's totals.
    int CounterResets() const { return counterResets_; }

    // KB/s.
    double NewestDown() const { return history_[0][static_cast<std::size_t>(speedIndex_)]; }
    double NewestUp() const { return history_[1][static_cast<std::size_t>(speedIndex_)]; }
    double Sample(int row, int slot) const {
        return history_[static_cast<std::size_t>(row)][static_cast<std::size_t>(slot)];
    }
    int SpeedIndex() const { return speedIndex_; }

    // Oldest to newest; slots whose download sample is not above 0 draw nothing.
    std::vector<GraphColumn> Columns(double maxSpeed) const;

  private:
    // Bytes counted since the last sample; 0 when the counter went backwards or
    // jumped further than the link could carry in `seconds`.
    static std::int64_t Accepted(std::int64_t now, std::int64_t last, double seconds);

    std::array<std::array<double, kSlots>, 2> history_{};
    int speedIndex_ = 0;
    std::int64_t lastBytesIn_ = 0;
    std::int64_t lastBytesOut_ = 0;
    std::optional<std::int64_t> lastSampleMs_;
    std::int64_t callBytesIn_ = 0;
    std::int64_t callBytesOut_ = 0;
    int counterResets_ = 0;
};

}  // namespace vornik
