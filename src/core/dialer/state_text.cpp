#include "dialer/state_text.h"

#include <array>
#include <utility>

namespace vornik {
namespace {

constexpr std::array<std::pair<int, const char*>, 22> kStateTexts{{
    {-1, "没有建立连接"},
    {0, "正在打开端口"},
    {1, "端口已打开"},
    {2, "正在打开设备"},
    {3, "设备已打开"},
    {4, "所有设备都打开，连接建立"},
    {5, "用户验证开始"},
    {10, "验证协议"},
    {14, "通过用户验证"},
    {15, "连接即将断开已接受回呼"},
    {16, "Modem重置已接受回呼"},
    {17, "等待远程呼叫"},
    {18, "协议通过"},
    {19, "开始用户验证"},
    {20, "回呼结束"},
    {21, "登陆网络"},
    {4096, "拨号暂停"},
    {4097, "重新用户验证"},
    {4098, "回呼已经设置好"},
    {4099, "密码已经过期"},
    {8192, "连接已建立"},
    {8193, "连接已断开"},
}};

}  // namespace

std::string StateText(int state) {
    for (const auto& [code, text] : kStateTexts) {
        if (code == state) {
            return text;
        }
    }
    return "未知事件";
}

std::string DialStatusLine(const std::string& text) {
    return "拨号状态：" + text;
}

}  // namespace vornik
