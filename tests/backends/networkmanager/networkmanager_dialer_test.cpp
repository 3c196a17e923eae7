#include "networkmanager/networkmanager_dialer.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "dialer/state_text.h"
#include "net/interface_counters.h"
#include "support/temp_folder.h"

namespace {

namespace ds = vornik::dial_state;
using Settings = QMap<QString, QVariantMap>;
using vornik::NetworkManagerDialer;
using vornik::testing::ReadFile;
using vornik::testing::TempFolder;

constexpr int kWaitMs = 20000;
const QString kService = QStringLiteral("org.freedesktop.NetworkManager");
const QString kManager = QStringLiteral("/org/freedesktop/NetworkManager");
const QString kMockMain = QStringLiteral("/org/freedesktop");
const QString kMock = QStringLiteral("org.freedesktop.DBus.Mock");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kProfile = QStringLiteral("org.freedesktop.NetworkManager.Settings.Connection");
const QString kActive = QStringLiteral("org.freedesktop.NetworkManager.Connection.Active");
const QString kDevice = QStringLiteral("org.freedesktop.NetworkManager.Device");
const QString kPython = QStringLiteral("/usr/bin/python3");

// The template keeps secrets in GetSettings, answers GetSecrets in a shape of its
// own and merges on Update; NetworkManager does none of that, so each profile gets
// these instead.
const char* const kProfileMethods[][4] = {
    {"GetSettings", "", "a{sa{sv}}",
     "ret = dbus.Dictionary({}, signature='sa{sv}')\n"
     "for group in self.settings:\n"
     "    ret[group] = dbus.Dictionary({}, signature='sv')\n"
     "    for key in self.settings[group]:\n"
     "        if key not in ('password', 'pin'):\n"
     "            ret[group][key] = self.settings[group][key]\n"},
    {"GetSecrets", "s", "a{sa{sv}}",
     "ret = dbus.Dictionary({args[0]: dbus.Dictionary({}, signature='sv')}, signature='sa{sv}')\n"
     "for key in self.settings.get(args[0], {}):\n"
     "    if key in ('password', 'pin'):\n"
     "        ret[args[0]][key] = self.settings[args[0]][key]\n"},
    {"Update", "a{sa{sv}}", "",
     "self.settings = args[0]\n"
     "self.EmitSignal('org.freedesktop.NetworkManager.Settings.Connection', 'Updated', '', [])\n"},
    // For the test: every value as stored, with its D-Bus type and variant level.
    {"Dump", "", "a{ss}",
     "ret = dbus.Dictionary({}, signature='ss')\n"
     "for group in self.settings:\n"
     "    ret[group] = 'group'\n"
     "    for key in self.settings[group]:\n"
     "        ret[group + '.' + key] = repr(self.settings[group][key])\n"},
};

// A dbus-daemon of the test's own with python3-dbusmock's NetworkManager on it.
class FakeNetworkManager {
  public:
    FakeNetworkManager() {
        if (!QFile::exists(kPython) || QProcess::execute(kPython, {"-c", "import dbusmock"}) != 0) {
            why_ =
                "needs /usr/bin/python3 with python3-dbusmock (apt-get install python3-dbusmock)";
            return;
        }
        const QString daemon = QStandardPaths::findExecutable("dbus-daemon");
        if (daemon.isEmpty()) {
            why_ = "needs dbus-daemon (apt-get install dbus)";
            return;
        }
        daemon_.start(daemon, {"--session", "--print-address", "--nofork"});
        if (!daemon_.waitForReadyRead(kWaitMs)) {
            why_ = "dbus-daemon did not start";
            return;
        }
        const QString address = QString::fromUtf8(daemon_.readLine()).trimmed();
        bus_ = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(address, "nm-test"));
        auto environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DBUS_SYSTEM_BUS_ADDRESS", address);
        mock_.setProcessEnvironment(environment);
        mock_.start(kPython, {"-m", "dbusmock", "--template", "networkmanager"});
        if (!QTest::qWaitFor([this] { return IsServing(); }, kWaitMs)) {
            why_ = "the NetworkManager mock did not come up: " + mock_.readAllStandardError();
        }
    }
    ~FakeNetworkManager() {
        bus_.reset();
        QDBusConnection::disconnectFromBus("nm-test");
        for (QProcess* process : {&mock_, &daemon_}) {
            process->terminate();
            if (!process->waitForFinished(kWaitMs)) {
                process->kill();
                process->waitForFinished();
            }
        }
    }

    const QString& WhyNot() const { return why_; }
    QDBusConnection& Bus() { return *bus_; }
    bool IsServing() const { return bus_ && bus_->interface()->isServiceRegistered(kService); }
    void StopService() {
        mock_.terminate();
        mock_.waitForFinished(kWaitMs);
    }

    QDBusMessage Call(const QString& path, const QString& interface, const QString& method,
                      const QVariantList& arguments = {}) {
        QDBusMessage call = QDBusMessage::createMethodCall(kService, path, interface, method);
        call.setArguments(arguments);
        const QDBusMessage reply = bus_->call(call, QDBus::Block, kWaitMs);
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage)
            << method.toStdString() << ": " << reply.errorMessage().toStdString();
        return reply;
    }
    void Set(const QString& path, const QString& interface, const QString& name,
             const QVariant& value) {
        Call(path, kProperties, "Set", {interface, name, QVariant::fromValue(QDBusVariant(value))});
    }
    void Emit(const QString& path, const QString& interface, const QString& name,
              const QString& signature, const QVariantList& arguments) {
        Call(path, kMock, "EmitSignal",
             {interface, name, signature, QVariant::fromValue(arguments)});
    }
    int CallsOf(const QString& path, const QString& method) {
        const QDBusMessage reply = Call(path, kMock, "GetMethodCalls", {method});
        return reply.arguments().isEmpty() ? -1 : Count(reply.arguments().constFirst());
    }

    QString AddProfile(const Settings& settings) {
        const QDBusMessage reply =
            Call(kManager + "/Settings", "org.freedesktop.NetworkManager.Settings", "AddConnection",
                 {QVariant::fromValue(settings)});
        const QString path = reply.arguments().value(0).value<QDBusObjectPath>().path();
        for (const auto& method : kProfileMethods) {
            Call(path, kMock, "AddMethod", {kProfile, method[0], method[1], method[2], method[3]});
        }
        return path;
    }
    QString AddDevice(const QString& name, const QString& dataInterface) {
        const QDBusMessage reply =
            Call(kMockMain, kMock, "AddEthernetDevice", {name, "eth-" + name, 30});
        const QString path = reply.arguments().value(0).toString();
        Set(path, kDevice, "IpInterface", dataInterface);
        return path;
    }
    void DeviceState(const QString& device, uint state, uint reason = 0) {
        Set(device, kDevice, "State", state);
        Emit(device, kDevice, "StateChanged", "uuu",
             {state, deviceStates_.value(device, 30), reason});
        deviceStates_[device] = state;
    }
    void ActiveState(const QString& active, uint state, uint reason = 0) {
        Set(active, kActive, "State", state);
        Emit(active, kActive, "StateChanged", "uu", {state, reason});
    }
    // The next ActivateConnection makes active connection `number`, still
    // activating, on `device`, with 10.64.0.`number` ready in an IP4Config of its
    // own; the test moves it on.
    QString ScriptActivation(int number, const QString& device) {
        const QString active = QString("%1/ActiveConnection/%2").arg(kManager).arg(number);
        const QString code =
            QString(
                "self.AddObject('%1/IP4Config/%3', 'org.freedesktop.NetworkManager.IP4Config',"
                " {'AddressData': dbus.Array([dbus.Dictionary({'address': '10.64.0.%3',"
                " 'prefix': dbus.UInt32(32)}, signature='sv')], signature='a{sv}')}, [])\n"
                "self.AddObject('%2', '%4', {'Connection': dbus.ObjectPath(args[0]),"
                " 'Devices': dbus.Array([dbus.ObjectPath('%5')], signature='o'),"
                " 'State': dbus.UInt32(1), 'Ip4Config': dbus.ObjectPath('/')}, [])\n"
                "active = self.Get('%6', 'ActiveConnections')\n"
                "active.append(dbus.ObjectPath('%2'))\n"
                "self.Set('%6', 'ActiveConnections', active)\n"
                "ret = dbus.ObjectPath('%2')\n")
                .arg(kManager, active, QString::number(number), kActive, device, kService);
        Call(kManager, kMock, "AddMethod", {kService, "ActivateConnection", "ooo", "o", code});
        return active;
    }
    std::map<std::string, std::string> Dump(const QString& profile) {
        const auto dump = qdbus_cast<QMap<QString, QString>>(
            Call(profile, kProfile, "Dump").arguments().value(0));
        std::map<std::string, std::string> values;
        for (auto value = dump.cbegin(); value != dump.cend(); ++value) {
            values[value.key().toStdString()] = value.value().toStdString();
        }
        return values;
    }
    void RefuseActivation(const QString& errorName) {
        Call(kManager, kMock, "AddMethod",
             {kService, "ActivateConnection", "ooo", "o",
              "raise dbus.exceptions.DBusException('no', name='" + errorName + "')"});
    }

  private:
    static int Count(const QVariant& list) {
        const QDBusArgument argument = list.value<QDBusArgument>();
        int count = 0;
        argument.beginArray();
        while (!argument.atEnd()) {
            argument.asVariant();
            ++count;
        }
        argument.endArray();
        return count;
    }

    QString why_;
    QProcess daemon_;
    QProcess mock_;
    std::unique_ptr<QDBusConnection> bus_;
    QHash<QString, uint> deviceStates_;
};

Settings Profile(const QString& name, const QString& type, const QString& uuid,
                 const QString& group = {}, const QVariantMap& values = {}) {
    Settings settings{{"connection", {{"id", name}, {"type", type}, {"uuid", uuid}}}};
    if (!group.isEmpty()) {
        settings[group] = values;
    }
    return settings;
}

Settings Pppoe(const QString& name, const QString& uuid = "0b5a-pppoe") {
    Settings settings = Profile(name, "pppoe", uuid);
    settings["pppoe"] = {{"username", "old-user"}, {"password", "old-pass"}, {"parent", "eth0"}};
    return settings;
}

// Loopback traffic of `bytes` or a little more: datagrams to a socket of our own.
void SendOverLoopback(std::size_t bytes) {
    const int sock = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(sock, reinterpret_cast<sockaddr*>(&address), length);
    getsockname(sock, reinterpret_cast<sockaddr*>(&address), &length);
    const std::vector<char> datagram(8192, 'x');
    for (std::size_t sent = 0; sent < bytes; sent += datagram.size()) {
        sendto(sock, datagram.data(), datagram.size(), 0, reinterpret_cast<sockaddr*>(&address),
               length);
    }
    close(sock);
}

class NetworkManagerDialerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!nm_.WhyNot().isEmpty()) {
            GTEST_SKIP() << nm_.WhyNot().toStdString();
        }
    }

    NetworkManagerDialer& MakeDialer() {
        dialer_ = std::make_unique<NetworkManagerDialer>(nm_.Bus());
        dialer_->SetEvents({[this](int state) { states_.push_back(state); },
                            [this](const std::string& message) {
                                errors_.push_back(message);
                                dialer_->HangUp();  // as the session does
                            }});
        dialer_->SetNotice([this](const std::string& text) { notices_.push_back(text); });
        dialer_->SetPhoneBookChanged([this] { ++phoneBookChanges_; });
        return *dialer_;
    }
    bool WaitForState(int state) {
        return QTest::qWaitFor(
            [&] { return std::count(states_.begin(), states_.end(), state) > 0; }, kWaitMs);
    }
    bool WaitForErrors(std::size_t count) {
        return QTest::qWaitFor([&] { return errors_.size() >= count; }, kWaitMs);
    }
    std::vector<std::string> Entries() {
        std::vector<std::string> names;
        for (int i = 0; i < dialer_->EntryCount(); ++i) {
            names.push_back(dialer_->EntryNameAt(i));
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    FakeNetworkManager nm_;
    std::unique_ptr<NetworkManagerDialer> dialer_;
    std::vector<int> states_;
    std::vector<std::string> errors_;
    std::vector<std::string> notices_;
    int phoneBookChanges_ = 0;
};

TEST_F(NetworkManagerDialerTest, ListsDialUpProfilesAndFollowsThem) {
    nm_.AddProfile(Pppoe("宽带连接"));
    const QVariantMap apn{{"apn", "cmnet"}};
    const QString mobile = nm_.AddProfile(Profile("手机上网", "gsm", "2-gsm", "gsm", apn));
    Settings dun = Profile("蓝牙拨号连接", "bluetooth", "3-dun", "bluetooth", {{"type", "dun"}});
    dun["gsm"] = apn;
    nm_.AddProfile(dun);
    nm_.AddProfile(Profile("蓝牙网络", "bluetooth", "4-panu", "bluetooth", {{"type", "panu"}}));
    nm_.AddProfile(Profile("家里的 Wi-Fi", "802-11-wireless", "5-wifi"));
    nm_.AddProfile(Profile("有线连接 1", "802-3-ethernet", "6-wired"));
    NetworkManagerDialer& dialer = MakeDialer();
    using Names = std::vector<std::string>;
    EXPECT_EQ(Entries(), (Names{"宽带连接", "手机上网", "蓝牙拨号连接"}));
    const std::pair<const char*, const char*> kinds[] = {
        {"宽带连接", "PPPoE"}, {"手机上网", "移动宽带 (GSM)"}, {"蓝牙拨号连接", "蓝牙拨号"}};
    for (const auto& [name, kind] : kinds) {
        dialer.LoadEntry(name);
        EXPECT_EQ(dialer.DeviceType(), kind) << name;
    }

    // Added: only the dial-up one joins.
    nm_.AddProfile(Profile("咖啡馆 Wi-Fi", "802-11-wireless", "7-wifi"));
    nm_.AddProfile(Profile("电信上网", "cdma", "8-cdma", "cdma", {{"number", "#777"}}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialer.EntryCount() == 4; }, kWaitMs));
    EXPECT_EQ(Entries(), (Names{"宽带连接", "手机上网", "电信上网", "蓝牙拨号连接"}));
    EXPECT_GE(phoneBookChanges_, 1);

    // Renamed: the selection follows the profile.
    dialer.LoadEntry("手机上网");
    const Settings renamed = Profile("手机上网（新）", "gsm", "2-gsm", "gsm", apn);
    nm_.Call(mobile, kProfile, "Update", {QVariant::fromValue(renamed)});
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialer.EntryName() == "手机上网（新）"; }, kWaitMs));
    EXPECT_EQ(Entries(), (Names{"宽带连接", "手机上网（新）", "电信上网", "蓝牙拨号连接"}));

    // Removed: gone from the list and no longer selected.
    nm_.Call(mobile, kProfile, "Delete");
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialer.EntryCount() == 3; }, kWaitMs));
    EXPECT_EQ(dialer.EntryName(), "");
    EXPECT_EQ(Entries(), (Names{"宽带连接", "电信上网", "蓝牙拨号连接"}));
}

TEST_F(NetworkManagerDialerTest, FullCallShowsEachStepOnceAndCountsFromConnect) {
    const QString device = nm_.AddDevice("dsl0", "lo");
    nm_.AddProfile(Pppoe("宽带连接"));
    const QString active = nm_.ScriptActivation(1, device);
    NetworkManagerDialer& dialer = MakeDialer();
    dialer.LoadEntry("宽带连接");
    SendOverLoopback(64 * 1024);
    const auto before = vornik::ReadInterfaceTotals("lo");
    ASSERT_TRUE(before.has_value());

    dialer.Connect();
    EXPECT_TRUE(states_.empty()) << "raised from inside Connect";
    ASSERT_TRUE(WaitForState(ds::kOpenPort));
    // NetworkManager asks for secrets and then prepares the device again.
    for (const uint state : {40u, 50u, 60u, 40u, 50u, 70u, 80u, 90u}) {
        nm_.DeviceState(device, state);
    }
    nm_.Set(active, kActive, "Ip4Config",
            QVariant::fromValue(QDBusObjectPath(kManager + "/IP4Config/1")));
    nm_.DeviceState(device, 100);
    nm_.ActiveState(active, 2);
    ASSERT_TRUE(WaitForState(ds::kConnected));

    std::vector<std::string> texts;
    for (const int state : states_) {
        texts.push_back(vornik::StateText(state));
    }
    EXPECT_EQ(texts,
              (std::vector<std::string>{"正在打开端口", "端口已打开", "正在打开设备", "设备已打开",
                                        "所有设备都打开，连接建立", "用户验证开始", "通过用户验证",
                                        "协议通过", "登陆网络", "连接已建立"}));
    EXPECT_TRUE(dialer.IsConnected());
    EXPECT_EQ(dialer.IPAddress(), "10.64.0.1");
    EXPECT_EQ(dialer.DeviceType(), "PPPoE");

    SendOverLoopback(64 * 1024);
    const auto after = vornik::ReadInterfaceTotals("lo");
    ASSERT_TRUE(after.has_value());
    EXPECT_GE(dialer.BytesReceived(), 64 * 1024);
    EXPECT_GE(dialer.BytesSent(), 64 * 1024);
    EXPECT_LE(dialer.BytesReceived(), after->received - before->received);
    EXPECT_LE(dialer.BytesSent(), after->sent - before->sent);

    dialer.HangUp();
    EXPECT_EQ(states_.back(), ds::kConnected) << "raised from inside HangUp";
    ASSERT_TRUE(WaitForState(ds::kDisconnected));
    EXPECT_EQ(nm_.CallsOf(kManager, "DeactivateConnection"), 1);
    EXPECT_FALSE(dialer.IsConnected());
    EXPECT_EQ(dialer.BytesReceived(), 0);
    QTest::qWait(200);  // a second report of the same hang-up would arrive by now
    EXPECT_EQ(std::count(states_.begin(), states_.end(), ds::kDisconnected), 1);
    EXPECT_TRUE(errors_.empty());
}

TEST_F(NetworkManagerDialerTest, FailedActivationsTellWhyInWords) {
    const QString device = nm_.AddDevice("dsl0", "");
    nm_.AddProfile(Pppoe("宽带连接"));
    NetworkManagerDialer& dialer = MakeDialer();

    dialer.Connect();  // nothing selected
    EXPECT_TRUE(errors_.empty()) << "raised from inside Connect";
    ASSERT_TRUE(WaitForErrors(1));
    EXPECT_EQ(errors_[0], "没有选择要拨号的连接。");
    dialer.LoadEntry("宽带连接");

    // The device says what went wrong; the active connection only that it went.
    QString active = nm_.ScriptActivation(1, device);
    dialer.Connect();
    ASSERT_TRUE(WaitForState(ds::kOpenPort));
    nm_.DeviceState(device, 40);
    nm_.DeviceState(device, 50);
    nm_.DeviceState(device, 120, 14);
    nm_.ActiveState(active, 4, 3);
    ASSERT_TRUE(WaitForErrors(2));
    EXPECT_EQ(errors_[1], "PPP 连接失败，请检查用户名和密码");

    active = nm_.ScriptActivation(2, device);
    dialer.Connect();
    nm_.ActiveState(active, 4, 9);
    ASSERT_TRUE(WaitForErrors(3));
    EXPECT_EQ(errors_[2], "缺少用户名或密码，无法拨号");

    active = nm_.ScriptActivation(3, device);
    dialer.Connect();
    nm_.ActiveState(active, 4, 77);
    ASSERT_TRUE(WaitForErrors(4));
    EXPECT_NE(errors_[3].find("77"), std::string::npos) << errors_[3];

    nm_.RefuseActivation("org.freedesktop.NetworkManager.PermissionDenied");
    dialer.Connect();
    ASSERT_TRUE(WaitForErrors(5));
    EXPECT_EQ(errors_[4], "没有拨号的权限，NetworkManager 拒绝了请求");

    EXPECT_FALSE(dialer.IsConnected());
    EXPECT_EQ(std::count(states_.begin(), states_.end(), ds::kDisconnected), 0);
    EXPECT_EQ(nm_.CallsOf(kManager, "DeactivateConnection"), 0);
}

TEST_F(NetworkManagerDialerTest, SavingCredentialsLeavesTheRestOfTheProfileAsItWas) {
    Settings full = Pppoe("宽带连接");
    full["connection"].insert({{"autoconnect", false},
                               {"timestamp", QVariant::fromValue(qulonglong{1700000000})},
                               {"permissions", QStringList{"user:alice"}},
                               {"autoconnect-priority", -5}});
    full["pppoe"].insert({{"service", "isp"}, {"password-flags", 0u}});
    full["ppp"] = {{"mtu", 1492u}, {"refuse-eap", true}, {"lcp-echo-interval", 30u}};
    full["ipv4"] = {
        {"method", "auto"},
        {"dns", QVariant::fromValue(QList<uint>{0x08080808u})},
        {"addresses", QVariant::fromValue(QList<QList<uint>>{{0x0100000au, 24, 0}})},
        {"address-data",
         QVariant::fromValue(QList<QVariantMap>{{{"address", "10.0.0.1"}, {"prefix", 24u}}})},
        {"route-metric", QVariant::fromValue(qlonglong{-1})},
        {"dns-search", QStringList{}}};
    full["ipv6"] = {{"method", "auto"},
                    {"dns", QVariant::fromValue(QList<QByteArray>{QByteArray(16, '\x01')})},
                    {"addr-gen-mode", 1}};
    full["802-3-ethernet"] = {{"mac-address", QByteArray::fromHex("78dd08d23d43")}};
    full["proxy"] = {};
    const QString pppoe = nm_.AddProfile(full);
    const QString gsm = nm_.AddProfile(
        Profile("手机上网", "gsm", "2-gsm", "gsm",
                {{"apn", "cmnet"}, {"username", "card"}, {"password", "old"}, {"pin", "1234"}}));
    NetworkManagerDialer& dialer = MakeDialer();
    auto before = nm_.Dump(pppoe);

    dialer.LoadEntry("宽带连接");
    EXPECT_EQ(dialer.EntryUserName(), "old-user");
    EXPECT_EQ(dialer.EntryPassword(), "old-pass");
    dialer.SaveEntry("宽带连接");  // the same values back: nothing to write
    EXPECT_EQ(nm_.CallsOf(pppoe, "Update"), 0);

    dialer.SetEntryUserName("新用户");
    dialer.SetEntryPassword("new pass");
    dialer.SaveEntry("宽带连接");
    dialer.LoadEntry("宽带连接");
    EXPECT_EQ(dialer.EntryUserName(), "新用户");
    EXPECT_EQ(dialer.EntryPassword(), "new pass");
    auto after = nm_.Dump(pppoe);
    for (const char* credential : {"pppoe.username", "pppoe.password"}) {
        EXPECT_NE(before[credential], after[credential]);
        before.erase(credential);
        after.erase(credential);
    }
    EXPECT_EQ(before, after);

    // A secret that is not a credential survives too.
    dialer.LoadEntry("手机上网");
    EXPECT_EQ(dialer.EntryUserName(), "card");
    dialer.SetEntryPassword("new");
    dialer.SaveEntry("手机上网");
    const auto secrets =
        qdbus_cast<Settings>(nm_.Call(gsm, kProfile, "GetSecrets", {"gsm"}).arguments().value(0));
    EXPECT_EQ(secrets["gsm"]["password"].toString(), "new");
    EXPECT_EQ(secrets["gsm"]["pin"].toString(), "1234");
    EXPECT_TRUE(notices_.empty());
}

TEST_F(NetworkManagerDialerTest, FollowsLinksBroughtUpAndDownElsewhere) {
    const QString device = nm_.AddDevice("dsl0", "");
    const QString profile = nm_.AddProfile(Pppoe("宽带连接"));
    // The template's own activation: straight to activated.
    const QDBusMessage reply = nm_.Call(
        kManager, kService, "ActivateConnection",
        {QVariant::fromValue(QDBusObjectPath(profile)),
         QVariant::fromValue(QDBusObjectPath(device)), QVariant::fromValue(QDBusObjectPath("/"))});
    NetworkManagerDialer& dialer = MakeDialer();
    EXPECT_TRUE(NetworkManagerDialer::IsAvailable(nm_.Bus()));
    EXPECT_TRUE(dialer.IsConnected());
    EXPECT_EQ(dialer.DeviceType(), "PPPoE");
    EXPECT_EQ(dialer.IPAddress(), "");  // the template has no IP4Config

    nm_.Call(kManager, kService, "DeactivateConnection", {reply.arguments().value(0)});
    ASSERT_TRUE(WaitForState(ds::kDisconnected));
    EXPECT_FALSE(dialer.IsConnected());

    dialer.LoadEntry("宽带连接");
    dialer.Connect();
    ASSERT_TRUE(WaitForState(ds::kConnected));
    EXPECT_EQ(states_, (std::vector<int>{ds::kDisconnected, ds::kOpenPort, ds::kConnected}));
    EXPECT_TRUE(errors_.empty());

    nm_.StopService();
    EXPECT_FALSE(NetworkManagerDialer::IsAvailable(nm_.Bus()));
}

TEST_F(NetworkManagerDialerTest, EditorIsStartedOrItsPackageNamed) {
    nm_.AddProfile(Pppoe("宽带连接", "0b5a-uuid"));
    NetworkManagerDialer& dialer = MakeDialer();
    const QByteArray path = qgetenv("PATH");
    TempFolder withEditor;
    const auto record = withEditor / "arguments";
    const auto editor = withEditor / "nm-connection-editor";
    vornik::testing::WriteFile(editor,
                               "#!/bin/sh\nprintf '%s\\n' \"$@\" >> '" + record.string() + "'\n");
    std::filesystem::permissions(editor, std::filesystem::perms::owner_all);

    qputenv("PATH", QByteArray::fromStdString(withEditor.Path().string()));
    EXPECT_EQ(dialer.CreateEntry(), 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !ReadFile(record).empty(); }, kWaitMs));
    dialer.EditEntry("宽带连接");
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return ReadFile(record) == "--create\n--type=pppoe\n--edit=0b5a-uuid\n"; }, kWaitMs))
        << ReadFile(record);
    EXPECT_TRUE(notices_.empty());

    TempFolder withoutEditor;
    qputenv("PATH", QByteArray::fromStdString(withoutEditor.Path().string()));
    dialer.CreateEntry();
    dialer.EditEntry("宽带连接");
    qputenv("PATH", path);
    ASSERT_EQ(notices_.size(), 2u);
    for (const std::string& notice : notices_) {
        EXPECT_NE(notice.find("network-manager-gnome"), std::string::npos) << notice;
    }
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    qDBusRegisterMetaType<Settings>();
    qDBusRegisterMetaType<QMap<QString, QString>>();
    qDBusRegisterMetaType<QList<QVariantMap>>();
    qDBusRegisterMetaType<QList<QList<uint>>>();
    qDBusRegisterMetaType<QList<QByteArray>>();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
