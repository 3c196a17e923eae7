#pragma once

#include <string>

namespace vornik {

// The text the dial status line shows for a connection-state code; "未知事件" for
// codes that have none.
std::string StateText(int state);

// The dial status line: "拨号状态：" followed by the text.
std::string DialStatusLine(const std::string& text);

}  // namespace vornik
