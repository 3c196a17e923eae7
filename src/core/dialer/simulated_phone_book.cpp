// The simulated dialer's phone book: a text file the user may edit by hand, so the
// reader forgives what it does not understand (it says so and keeps the default)
// and the writer replaces the file only with a complete new one.

#include <charconv>
#include <cmath>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string_view>

#include "base/atomic_file.h"
#include "base/text_excerpt.h"
#include "dialer/simulated_dialer.h"
#include "metering/speed_meter.h"

namespace vornik {
namespace {

constexpr std::string_view kHeader =
    "# Vornik 模拟拨号器的电话簿。\n"
    "# 这里的每一个连接都是模拟的：拨号不会建立任何真实的网络连接，\n"
    "# 显示的地址和流量也都是模拟的。\n"
    "# Every link in this file is simulated: dialling one makes no real connection.\n"
    "#\n"
    "# 每个连接一节，以 [连接名] 开头，下面每行一个 键=值：\n"
    "#   user=用户名\n"
    "#   password=密码（明文）\n"
    "#   device=设备类型\n"
    "#   connect_delay=从拨号到连通的秒数\n"
    "#   traffic=流量模式，速率以 KB/s 计，时长以秒计，三种之一：\n"
    "#     steady 下行 上行\n"
    "#     bursty 下行 上行 活跃秒数 低速秒数（低速时为十分之一的速率）\n"
    "#     idle 下行 上行 活跃秒数 空闲秒数（空闲时没有流量）\n"
    "#   fail=拨号失败时显示的消息；留空表示拨号成功\n"
    "# 值首尾的空格会被去掉；要保留时把值写在英文双引号里，如 password=\" 密码 \"\n";

std::string_view Trim(std::string_view text) {
    constexpr std::string_view kBlank = " \t\r";
    const std::size_t first = text.find_first_not_of(kBlank);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(kBlank) - first + 1);
}

std::vector<std::string_view> Words(std::string_view text) {
    std::vector<std::string_view> words;
    while (!(text = Trim(text)).empty()) {
        const std::size_t end = text.find_first_of(" \t");
        words.push_back(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end);
    }
    return words;
}

template <typename Number>
std::optional<Number> ParseNonNegative(std::string_view text) {
    Number value{};
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc{} || stop != end || !(value >= 0) ||
        !std::isfinite(static_cast<double>(value))) {
        return std::nullopt;
    }
    return value;
}

// The fastest rate a simulated link may have: what the speed meter still counts
// as traffic. Anything faster is a slip of the hand and would overflow counters.
constexpr double kMaxKBps = SpeedMeter::kMaxBytesPerSecond / 1024;

std::optional<TrafficPattern> ParseTraffic(std::string_view text) {
    const std::vector<std::string_view> words = Words(text);
    if (words.empty()) {
        return std::nullopt;
    }
    TrafficPattern pattern;
    std::size_t expectedWords = 5;
    if (words[0] == "steady") {
        pattern.kind = TrafficPattern::Kind::kSteady;
        expectedWords = 3;
    } else if (words[0] == "bursty") {
        pattern.kind = TrafficPattern::Kind::kBursty;
    } else if (words[0] == "idle") {
        pattern.kind = TrafficPattern::Kind::kIdleSpells;
    } else {
        return std::nullopt;
    }
    if (words.size() != expectedWords) {
        return std::nullopt;
    }
    const auto down = ParseNonNegative<double>(words[1]);
    const auto up = ParseNonNegative<double>(words[2]);
    if (!down || !up) {
        return std::nullopt;
    }
    pattern.downKBps = *down;
    pattern.upKBps = *up;
    if (expectedWords == 5) {
        const auto active = ParseNonNegative<int>(words[3]);
        const auto quiet = ParseNonNegative<int>(words[4]);
        if (!active || !quiet || (*active == 0 && *quiet == 0)) {
            return std::nullopt;
        }
        pattern.activeSeconds = *active;
        pattern.quietSeconds = *quiet;
    }
    return pattern;
}

std::string NumberText(double value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string TrafficText(const TrafficPattern& pattern) {
    std::string text = pattern.kind == TrafficPattern::Kind::kSteady   ? "steady"
                       : pattern.kind == TrafficPattern::Kind::kBursty ? "bursty"
                                                                       : "idle";
    text += " " + NumberText(pattern.downKBps) + " " + NumberText(pattern.upKBps);
    if (pattern.kind != TrafficPattern::Kind::kSteady) {
        text += " " + std::to_string(pattern.activeSeconds) + " " +
                std::to_string(pattern.quietSeconds);
    }
    return text;
}

// A value cannot span lines in the file; a line break would start a new key.
std::string OneLine(std::string text) {
    for (char& c : text) {
        if (c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    return text;
}

// A value wrapped in double quotes stands for what is between them, so that
// blanks at its ends survive the trimming.
bool IsQuoted(std::string_view value) {
    return value.size() >= 2 && value.front() == '"' && value.back() == '"';
}

std::string_view Unquoted(std::string_view value) {
    return IsQuoted(value) ? value.substr(1, value.size() - 2) : value;
}

// A value as the file holds it: on one line, and quoted when reading it back
// would otherwise lose blanks at its ends or a pair of quotes around it.
std::string ValueText(const std::string& value) {
    std::string text = OneLine(value);
    if (Trim(text).size() != text.size() || IsQuoted(text)) {
        return '"' + text + '"';
    }
    return text;
}

// Sets one key of `entry`; false with the reason when the key is unknown or its
// value malformed, in which case the entry keeps what it had.
bool ApplyKey(SimulatedEntry& entry, std::string_view key, std::string_view value,
              std::string& reason) {
    if (key == "user") {
        entry.userName = value;
    } else if (key == "password") {
        entry.password = value;
    } else if (key == "device") {
        entry.deviceType = value;
    } else if (key == "fail") {
        entry.failure = value;
    } else if (key == "connect_delay") {
        const auto seconds = ParseNonNegative<int>(value);
        if (!seconds) {
            reason = "connect_delay 应为不小于 0 的整数秒";
            return false;
        }
        entry.connectDelaySeconds = *seconds;
    } else if (key == "traffic") {
        const auto pattern = ParseTraffic(value);
        if (!pattern) {
            reason =
                "traffic 应为 steady 下行 上行、bursty 下行 上行 活跃秒数 低速秒数"
                "或 idle 下行 上行 活跃秒数 空闲秒数";
            return false;
        }
        if (pattern->downKBps > kMaxKBps || pattern->upKBps > kMaxKBps) {
            reason = "traffic 的速率超出了任何链路的能力，每个方向最多 " +
                     NumberText(std::floor(kMaxKBps)) + " KB/s";
            return false;
        }
        entry.traffic = *pattern;
    } else {
        reason = "未知的键“" + Excerpt(key) + "”";
        return false;
    }
    return true;
}

class PhoneBookReader {
  public:
    explicit PhoneBookReader(std::string fileName) : fileName_(std::move(fileName)) {}

    void Line(int number, std::string_view line) {
        line = Trim(line);
        if (line.empty() || line.front() == '#') {
            return;
        }
        if (line.front() == '[' && line.back() == ']') {
            Section(number, Trim(line.substr(1, line.size() - 2)));
            return;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            Problem(number, "既不是 [连接名] 也不是 键=值，已忽略");
            return;
        }
        if (skippingSection_) {
            return;
        }
        if (entries_.empty()) {
            Problem(number, "键=值出现在第一个 [连接名] 之前，已忽略");
            return;
        }
        std::string reason;
        if (!ApplyKey(entries_.back(), Trim(line.substr(0, equals)),
                      Unquoted(Trim(line.substr(equals + 1))), reason)) {
            Problem(number, reason + "，已忽略");
        }
    }

    std::vector<SimulatedEntry> TakeEntries() { return std::move(entries_); }
    std::string Problems() const { return problems_; }

  private:
    void Section(int number, std::string_view name) {
        skippingSection_ = true;
        if (name.empty()) {
            Problem(number, "连接名为空，这一节已忽略");
            return;
        }
        for (const SimulatedEntry& entry : entries_) {
            if (entry.name == name) {
                Problem(number, "连接“" + Excerpt(name) + "”重复，这一节已忽略");
                return;
            }
        }
        skippingSection_ = false;
        entries_.emplace_back().name = name;
    }

    void Problem(int number, const std::string& text) {
        if (!problems_.empty()) {
            problems_ += '\n';
        }
        problems_ += fileName_ + " 第 " + std::to_string(number) + " 行：" + text;
    }

    std::string fileName_;
    std::vector<SimulatedEntry> entries_;
    std::string problems_;
    bool skippingSection_ = false;
};

}  // namespace

std::vector<SimulatedEntry> ParseSimulatedPhoneBook(std::string_view text,
                                                    const std::string& fileName,
                                                    std::string* problems) {
    PhoneBookReader reader(fileName);
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (text.starts_with(kByteOrderMark)) {
        text.remove_prefix(kByteOrderMark.size());
    }
    // Lines end as editors end them: "\n", "\r\n" or a lone "\r". A value read
    // therefore never holds a line break, and one written never gains one.
    for (int number = 1; !text.empty(); ++number) {
        const std::size_t end = text.find_first_of("\r\n");
        reader.Line(number, text.substr(0, end));
        if (end == std::string_view::npos) {
            break;
        }
        const bool crlf = text.substr(end).starts_with("\r\n");
        text.remove_prefix(end + (crlf ? 2 : 1));
    }
    if (problems != nullptr) {
        *problems = reader.Problems();
    }
    return reader.TakeEntries();
}

std::vector<SimulatedEntry> ReadSimulatedPhoneBook(const std::filesystem::path& file,
                                                   std::string* error) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        if (error != nullptr) {
            *error = "无法读取电话簿文件 " + file.string();
        }
        return {};
    }
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return ParseSimulatedPhoneBook(text, file.filename().string(), error);
}

std::string SimulatedPhoneBookText(const std::vector<SimulatedEntry>& entries) {
    std::ostringstream text;
    text << kHeader;
    for (const SimulatedEntry& entry : entries) {
        text << "\n[" << OneLine(entry.name) << "]\n"
             << "user=" << ValueText(entry.userName) << "\n"
             << "password=" << ValueText(entry.password) << "\n"
             << "device=" << ValueText(entry.deviceType) << "\n"
             << "connect_delay=" << entry.connectDelaySeconds << "\n"
             << "traffic=" << TrafficText(entry.traffic) << "\n"
             << "fail=" << ValueText(entry.failure) << "\n";
    }
    return text.str();
}

Result<> WriteSimulatedPhoneBook(const std::filesystem::path& file,
                                 const std::vector<SimulatedEntry>& entries) {
    // The file holds passwords: only its owner may read it.
    return WriteFileAtomically(file, SimulatedPhoneBookText(entries));
}

std::vector<SimulatedEntry> SampleSimulatedEntries() {
    SimulatedEntry adsl;
    adsl.name = "模拟ADSL";
    adsl.userName = "demo";
    adsl.password = "demo";
    adsl.connectDelaySeconds = 3;
    adsl.traffic = {TrafficPattern::Kind::kSteady, 40, 8, 60, 20};

    SimulatedEntry gprs;
    gprs.name = "模拟GPRS";
    gprs.userName = "gprs";
    gprs.password = "gprs";
    gprs.deviceType = "GPRS 调制解调器 (模拟)";
    gprs.connectDelaySeconds = 5;
    gprs.traffic = {TrafficPattern::Kind::kIdleSpells, 6, 2, 30, 30};
    return {adsl, gprs};
}

}  // namespace vornik
