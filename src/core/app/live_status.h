// The state of the meter in one line or one JSON object: what a headless run
// prints once a minute (and on a terminal every second, in place), and what a
// running instance answers to `vornik status`.
#pragma once

#include <string>

#include "app/user_interface.h"
#include "base/json_writer.h"
#include "base/moment.h"
#include "base/number_text.h"

namespace vornik {

// "09:01:00 模拟ADSL 已连接 00:01:00 0.05元 ↓12.30 ↑1.20 KB/s | 今日 00:01:00 0.05元 |
// 本月 01:23:45 12.50元"; disconnected, the call's part reads "未连接".
std::string CompactStatusLine(const LiveFigures& figures, const Moment& now,
                              const NumberFormat& number);

// The fields of the status object: "time", "entry", "connected", "call" (null
// when no call is up), "today", "month" and, when known, "forecast" (the
// current billing month at its pace: projected seconds, bytes and fee, and per
// monthly limit set its size in seconds or bytes, whether it is passed, the day
// it is or will be reached or null, and the seconds or bytes a day may take). The caller opens and
// closes the object, so that it can add fields of its own.
void WriteLiveStatus(JsonWriter& json, const LiveFigures& figures, const Moment& now);

}  // namespace vornik
