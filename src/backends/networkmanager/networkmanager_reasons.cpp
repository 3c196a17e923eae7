// What the user is told when NetworkManager ends a dial or refuses one. The
// numbers are NMActiveConnectionStateReason and NMDeviceStateReason.
#include <array>
#include <string>
#include <utility>

#include "networkmanager/networkmanager_dialer.h"

namespace vornik {

namespace {

using ReasonText = std::pair<unsigned, const char*>;

constexpr unsigned kActiveUnknown = 0;
constexpr unsigned kActiveNone = 1;
constexpr unsigned kActiveDeviceDisconnected = 3;

constexpr std::array<ReasonText, 12> kActiveReasons{{
    {2, "拨号已被用户取消"},
    {kActiveDeviceDisconnected, "设备已断开"},
    {4, "拨号服务已停止"},
    {5, "未能取得有效的 IP 地址"},
    {6, "连接超时"},
    {7, "拨号服务启动超时"},
    {8, "拨号服务启动失败"},
    {9, "缺少用户名或密码，无法拨号"},
    {10, "用户名或密码错误，登录失败"},
    {11, "连接配置已被删除"},
    {12, "所依赖的连接失败"},
    {14, "设备已被移除"},
}};

constexpr std::array<ReasonText, 37> kDeviceReasons{{
    {4, "设备配置失败"},
    {5, "未能取得 IP 地址"},
    {6, "IP 地址租期已过"},
    {7, "缺少用户名或密码，无法拨号"},
    {12, "PPP 服务启动失败"},
    {13, "PPP 连接已断开"},
    {14, "PPP 连接失败，请检查用户名和密码"},
    {23, "调制解调器忙"},
    {24, "没有拨号音"},
    {25, "没有载波信号"},
    {26, "调制解调器拨号超时"},
    {27, "调制解调器拨号失败"},
    {28, "调制解调器初始化失败"},
    {29, "无法选择移动网络接入点 (APN)"},
    {30, "无法注册到移动网络"},
    {31, "移动网络拒绝注册"},
    {32, "注册移动网络超时"},
    {33, "无法注册到移动网络"},
    {34, "SIM 卡 PIN 码验证失败"},
    {35, "设备缺少固件"},
    {36, "设备已被移除"},
    {37, "系统正在休眠"},
    {38, "连接配置已被删除"},
    {39, "拨号已被用户取消"},
    {40, "网线未连接"},
    {43, "找不到调制解调器"},
    {44, "蓝牙连接失败"},
    {45, "未插入 SIM 卡"},
    {46, "需要 SIM 卡 PIN 码"},
    {47, "需要 SIM 卡 PUK 码"},
    {48, "SIM 卡错误"},
    {50, "所依赖的连接失败"},
    {52, "ModemManager 未运行"},
    {54, "附属连接失败"},
    {57, "调制解调器故障"},
    {59, "SIM 卡 PIN 码错误"},
    {64, "IP 地址与网络中的其他设备冲突"},
}};

template <std::size_t N>
const char* Find(const std::array<ReasonText, N>& table, unsigned reason) {
    for (const auto& [code, text] : table) {
        if (code == reason) {
            return text;
        }
    }
    return nullptr;
}

bool Says(unsigned reason) {
    return reason != kActiveUnknown && reason != kActiveNone;
}

}  // namespace

// "The device disconnected" is what the active connection says for any device
// failure; the device's own reason tells more, so it comes first then.
std::string NetworkManagerDialer::FailureMessage(unsigned activeReason, unsigned deviceReason) {
    if (activeReason != kActiveDeviceDisconnected) {
        if (const char* text = Find(kActiveReasons, activeReason)) {
            return text;
        }
    }
    if (const char* text = Find(kDeviceReasons, deviceReason)) {
        return text;
    }
    if (activeReason == kActiveDeviceDisconnected) {
        return Find(kActiveReasons, activeReason);
    }
    if (Says(activeReason)) {
        return "拨号失败（NetworkManager 原因代码 " + std::to_string(activeReason) + "）";
    }
    if (Says(deviceReason)) {
        return "拨号失败（NetworkManager 设备原因代码 " + std::to_string(deviceReason) + "）";
    }
    return "拨号失败，NetworkManager 未说明原因";
}

std::string NetworkManagerDialer::RefusalMessage(const QString& errorName,
                                                 const QString& errorText) {
    static constexpr std::pair<const char*, const char*> kRefusals[] = {
        {"org.freedesktop.NetworkManager.PermissionDenied",
         "没有拨号的权限，NetworkManager 拒绝了请求"},
        {"org.freedesktop.NetworkManager.UnknownConnection", "连接配置已不存在，无法拨号"},
        {"org.freedesktop.DBus.Error.ServiceUnknown", "NetworkManager 没有运行，无法拨号"},
        {"org.freedesktop.DBus.Error.NoReply", "NetworkManager 没有响应，无法拨号"},
    };
    for (const auto& [name, text] : kRefusals) {
        if (errorName == QLatin1String(name)) {
            return text;
        }
    }
    return "NetworkManager 无法开始拨号：" + errorText.toStdString();
}

}  // namespace vornik
