// What the user is told when NetworkManager ends a dial or refuses one. The
// numbers are NMActiveConnectionStateReason and NMDeviceStateReason. The texts
// stay Chinese here (the terminal shows them so); the marks put them in the
// desktop's English catalogue, which translates them where it shows them.
#include <QtGlobal>
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
    {2, QT_TRANSLATE_NOOP("core", "拨号已被用户取消")},
    {kActiveDeviceDisconnected, QT_TRANSLATE_NOOP("core", "设备已断开")},
    {4, QT_TRANSLATE_NOOP("core", "拨号服务已停止")},
    {5, QT_TRANSLATE_NOOP("core", "未能取得有效的 IP 地址")},
    {6, QT_TRANSLATE_NOOP("core", "连接超时")},
    {7, QT_TRANSLATE_NOOP("core", "拨号服务启动超时")},
    {8, QT_TRANSLATE_NOOP("core", "拨号服务启动失败")},
    {9, QT_TRANSLATE_NOOP("core", "缺少用户名或密码，无法拨号")},
    {10, QT_TRANSLATE_NOOP("core", "用户名或密码错误，登录失败")},
    {11, QT_TRANSLATE_NOOP("core", "连接配置已被删除")},
    {12, QT_TRANSLATE_NOOP("core", "所依赖的连接失败")},
    {14, QT_TRANSLATE_NOOP("core", "设备已被移除")},
}};

constexpr std::array<ReasonText, 37> kDeviceReasons{{
    {4, QT_TRANSLATE_NOOP("core", "设备配置失败")},
    {5, QT_TRANSLATE_NOOP("core", "未能取得 IP 地址")},
    {6, QT_TRANSLATE_NOOP("core", "IP 地址租期已过")},
    {7, QT_TRANSLATE_NOOP("core", "缺少用户名或密码，无法拨号")},
    {12, QT_TRANSLATE_NOOP("core", "PPP 服务启动失败")},
    {13, QT_TRANSLATE_NOOP("core", "PPP 连接已断开")},
    {14, QT_TRANSLATE_NOOP("core", "PPP 连接失败，请检查用户名和密码")},
    {23, QT_TRANSLATE_NOOP("core", "调制解调器忙")},
    {24, QT_TRANSLATE_NOOP("core", "没有拨号音")},
    {25, QT_TRANSLATE_NOOP("core", "没有载波信号")},
    {26, QT_TRANSLATE_NOOP("core", "调制解调器拨号超时")},
    {27, QT_TRANSLATE_NOOP("core", "调制解调器拨号失败")},
    {28, QT_TRANSLATE_NOOP("core", "调制解调器初始化失败")},
    {29, QT_TRANSLATE_NOOP("core", "无法选择移动网络接入点 (APN)")},
    {30, QT_TRANSLATE_NOOP("core", "无法注册到移动网络")},
    {31, QT_TRANSLATE_NOOP("core", "移动网络拒绝注册")},
    {32, QT_TRANSLATE_NOOP("core", "注册移动网络超时")},
    {33, QT_TRANSLATE_NOOP("core", "无法注册到移动网络")},
    {34, QT_TRANSLATE_NOOP("core", "SIM 卡 PIN 码验证失败")},
    {35, QT_TRANSLATE_NOOP("core", "设备缺少固件")},
    {36, QT_TRANSLATE_NOOP("core", "设备已被移除")},
    {37, QT_TRANSLATE_NOOP("core", "系统正在休眠")},
    {38, QT_TRANSLATE_NOOP("core", "连接配置已被删除")},
    {39, QT_TRANSLATE_NOOP("core", "拨号已被用户取消")},
    {40, QT_TRANSLATE_NOOP("core", "网线未连接")},
    {43, QT_TRANSLATE_NOOP("core", "找不到调制解调器")},
    {44, QT_TRANSLATE_NOOP("core", "蓝牙连接失败")},
    {45, QT_TRANSLATE_NOOP("core", "未插入 SIM 卡")},
    {46, QT_TRANSLATE_NOOP("core", "需要 SIM 卡 PIN 码")},
    {47, QT_TRANSLATE_NOOP("core", "需要 SIM 卡 PUK 码")},
    {48, QT_TRANSLATE_NOOP("core", "SIM 卡错误")},
    {50, QT_TRANSLATE_NOOP("core", "所依赖的连接失败")},
    {52, QT_TRANSLATE_NOOP("core", "ModemManager 未运行")},
    {54, QT_TRANSLATE_NOOP("core", "附属连接失败")},
    {57, QT_TRANSLATE_NOOP("core", "调制解调器故障")},
    {59, QT_TRANSLATE_NOOP("core", "SIM 卡 PIN 码错误")},
    {64, QT_TRANSLATE_NOOP("core", "IP 地址与网络中的其他设备冲突")},
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
         QT_TRANSLATE_NOOP("core", "没有拨号的权限，NetworkManager 拒绝了请求")},
        {"org.freedesktop.NetworkManager.UnknownConnection",
         QT_TRANSLATE_NOOP("core", "连接配置已不存在，无法拨号")},
        {"org.freedesktop.DBus.Error.ServiceUnknown",
         QT_TRANSLATE_NOOP("core", "NetworkManager 没有运行，无法拨号")},
        {"org.freedesktop.DBus.Error.NoReply",
         QT_TRANSLATE_NOOP("core", "NetworkManager 没有响应，无法拨号")},
    };
    for (const auto& [name, text] : kRefusals) {
        if (errorName == QLatin1String(name)) {
            return text;
        }
    }
    return "NetworkManager 无法开始拨号：" + errorText.toStdString();
}

}  // namespace vornik
