#include "networkmanager/networkmanager_dialer.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/session.h"
#include "base/setting_keys.h"
#include "dialer/state_text.h"
#include "net/interface_counters.h"
#include "support/fake_clock.h"
#include "support/fake_probe.h"
#include "support/private_bus.h"
#include "support/recording_ui.h"
#include "support/temp_folder.h"

namespace {

namespace ds = vornik::dial_state;
using Settings = QMap<QString, QVariantMap>;
using Names = std::vector<std::string>;
using Credentials = std::pair<std::string, std::string>;
using vornik::NetworkManagerDialer;
using vornik::testing::PrivateBus;
using vornik::testing::ReadFile;
using vornik::testing::TempFolder;

constexpr int kWaitMs = 20000;
// Long enough for the mock to answer while it runs, short enough for a test that
// stops it.
constexpr int kShortTimeoutMs = 1000;
const QString kService = QStringLiteral("org.freedesktop.NetworkManager");
const QString kManager = QStringLiteral("/org/freedesktop/NetworkManager");
const QString kMock = QStringLiteral("org.freedesktop.DBus.Mock");
const QString kProfile = kService + ".Settings.Connection";
const QString kActive = kService + ".Connection.Active";
const QString kDevice = kService + ".Device";

// The template keeps secrets in GetSettings, answers GetSecrets in a shape of its
// own and merges on Update; NetworkManager does none of that, so each profile gets
// these instead. Dump is the test's own: every setting as stored, with its D-Bus
// type and variant level.
const char* const kProfileMethods[][4] = {
    {"GetSettings", "", "a{sa{sv}}",
     "ret = dbus.Dictionary({group: dbus.Dictionary({key: value for key, value in values.items()"
     " if key not in ('password', 'pin')}, signature='sv')"
     " for group, values in self.settings.items()}, signature='sa{sv}')"},
    {"GetSecrets", "s", "a{sa{sv}}",
     "ret = dbus.Dictionary({args[0]: dbus.Dictionary({key: value for key, value in"
     " self.settings.get(args[0], {}).items() if key in ('password', 'pin')}, signature='sv')},"
     " signature='sa{sv}')"},
    {"Update", "a{sa{sv}}", "",
     "self.settings = args[0]\n"
     "self.EmitSignal('org.freedesktop.NetworkManager.Settings.Connection', 'Updated', '', [])"},
    {"Dump", "", "s",
     "ret = '\\n'.join(sorted(list(self.settings) + [group + '.' + key + ' = ' + repr(value)"
     " for group, values in self.settings.items() for key, value in values.items()]))"},
};

Settings Profile(const QString& name, const QString& type, const QString& uuid,
                 Settings groups = {}) {
    groups["connection"] = {{"id", name}, {"type", type}, {"uuid", uuid}};
    return groups;
}

Settings Pppoe() {
    return Profile("宽带连接", "pppoe", "0b5a-pppoe",
                   {{"pppoe", {{"username", "old-user"}, {"password", "old-pass"}}}});
}

// Loopback traffic of at least `bytes` each way: every packet on lo is sent and
// received there.
void SendOverLoopback(std::size_t bytes) {
    const int sock = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(9);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const std::vector<char> datagram(8192, 'x');
    for (std::size_t sent = 0; sent < bytes; sent += datagram.size()) {
        sendto(sock, datagram.data(), datagram.size(), 0, reinterpret_cast<sockaddr*>(&to),
               sizeof to);
    }
    close(sock);
}

// A dbus-daemon of the test's own with python3-dbusmock's NetworkManager on it,
// and a dialer on that bus with everything it reports recorded.
class NetworkManagerDialerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!PrivateBus::Available()) {
            GTEST_SKIP() << "needs dbus-daemon and /usr/bin/python3 with python3-dbusmock";
        }
        const std::string failure =
            bus_.Start(QStringLiteral("networkmanager"), "DBUS_SYSTEM_BUS_ADDRESS", kService);
        ASSERT_TRUE(failure.empty()) << failure;
    }
    void TearDown() override {
        dialer_.reset();
        bus_.Stop();
    }

    // ---- The fake NetworkManager ----

    // The reply's first value.
    QVariant Call(const QString& path, const QString& interface, const QString& method,
                  const QVariantList& arguments = {}) {
        QDBusMessage call = QDBusMessage::createMethodCall(kService, path, interface, method);
        call.setArguments(arguments);
        const QDBusMessage reply = bus_.Bus().call(call, QDBus::Block, kWaitMs);
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage)
            << method.toStdString() << ": " << reply.errorMessage().toStdString();
        return reply.arguments().value(0);
    }
    void Set(const QString& path, const QString& interface, const QString& name,
             const QVariant& value) {
        Call(path, "org.freedesktop.DBus.Properties", "Set",
             {interface, name, QVariant::fromValue(QDBusVariant(value))});
    }
    // Python `code` runs with `self` and `args`; what it leaves in `ret` is the reply.
    void AddMethod(const QString& path, const QString& interface, const QString& name,
                   const QString& in, const QString& out, const QString& code) {
        Call(path, kMock, "AddMethod", {interface, name, in, out, code});
    }
    int CallsOf(const QString& path, const QString& method) {
        const auto calls = Call(path, kMock, "GetMethodCalls", {method}).value<QDBusArgument>();
        int count = 0;
        calls.beginArray();
        for (; !calls.atEnd(); ++count) {
            calls.asVariant();
        }
        calls.endArray();
        return count;
    }
    QString AddProfile(const Settings& settings) {
        const QString path = Call(kManager + "/Settings", kService + ".Settings", "AddConnection",
                                  {QVariant::fromValue(settings)})
                                 .value<QDBusObjectPath>()
                                 .path();
        for (const auto& method : kProfileMethods) {
            AddMethod(path, kProfile, method[0], method[1], method[2], method[3]);
        }
        return path;
    }
    std::string Dump(const QString& profile) {
        return Call(profile, kProfile, "Dump").toString().toStdString();
    }
    QString AddDevice(const QString& dataInterface) {
        const QString path =
            Call("/org/freedesktop", kMock, "AddEthernetDevice", {"dsl0", "eth-dsl0", 30})
                .toString();
        Set(path, kDevice, "IpInterface", dataInterface);
        return path;
    }
    // The property and its StateChanged signal, as NetworkManager moves them on.
    void DeviceState(const QString& device, uint state, uint reason = 0) {
        const QVariantList change{state, deviceStates_.value(device, 30), reason};
        Set(device, kDevice, "State", state);
        Call(device, kMock, "EmitSignal", {kDevice, "StateChanged", "uuu", change});
        deviceStates_[device] = state;
    }
    void ActiveState(const QString& active, uint state, uint reason = 0) {
        Set(active, kActive, "State", state);
        Call(active, kMock, "EmitSignal",
             {kActive, "StateChanged", "uu", QVariantList{state, reason}});
    }
    // The next ActivateConnection makes active connection `number`, still
    // activating, on `device`, with 10.64.0.`number` ready in an IP4Config of its
    // own; the test moves it on.
    QString ScriptActivation(int number, const QString& device) {
        const QString active = QString("%1/ActiveConnection/%2").arg(kManager).arg(number);
        AddMethod(kManager, kService, "ActivateConnection", "ooo", "o",
                  QString("self.AddObject('%1/IP4Config/%3', '%6.IP4Config', {'AddressData':"
                          " dbus.Array([dbus.Dictionary({'address': '10.64.0.%3', 'prefix':"
                          " dbus.UInt32(32)}, signature='sv')], signature='a{sv}')}, [])\n"
                          "self.AddObject('%2', '%4', {'Connection': dbus.ObjectPath(args[0]),"
                          " 'Devices': dbus.Array([dbus.ObjectPath('%5')], signature='o'),"
                          " 'State': dbus.UInt32(1), 'Ip4Config': dbus.ObjectPath('/')}, [])\n"
                          "active = self.Get('%6', 'ActiveConnections')\n"
                          "active.append(dbus.ObjectPath('%2'))\n"
                          "self.Set('%6', 'ActiveConnections', active)\n"
                          "ret = dbus.ObjectPath('%2')\n")
                      .arg(kManager, active, QString::number(number), kActive, device, kService));
        return active;
    }
    void RefuseActivation(const QString& errorName) {
        AddMethod(kManager, kService, "ActivateConnection", "ooo", "o",
                  "raise dbus.exceptions.DBusException('no', name='" + errorName + "')");
    }

    // ---- The dialer under test ----

    NetworkManagerDialer& MakeDialer(int callTimeoutMs = NetworkManagerDialer::kCallTimeoutMs) {
        dialer_ = std::make_unique<NetworkManagerDialer>(NetworkManagerDialer::Options{
            .bus = bus_.Bus(),
            .callTimeoutMs = callTimeoutMs,
            .notice = [this](const std::string& text) { notices_.push_back(text); },
            .trace = [this](const std::string& text) { traces_.push_back(text); }});
        dialer_->SetEvents(this, {.stateChanged = [this](int state) { states_.push_back(state); },
                                  .dialError =
                                      [this](const std::string& message) {
                                          errors_.push_back(message);
                                          dialer_->HangUp();  // as the session does
                                      },
                                  .entryLoaded =
                                      [this] {
                                          loaded_.emplace_back(dialer_->EntryUserName(),
                                                               dialer_->EntryPassword());
                                      },
                                  .phoneBookChanged = [this] { ++phoneBookChanges_; }});
        return *dialer_;
    }
    // The profile list arrives after the dialer is made.
    NetworkManagerDialer& MakeDialerWithList() {
        NetworkManagerDialer& dialer = MakeDialer();
        EXPECT_TRUE(Until([this] { return phoneBookChanges_ > 0; })) << "no profile list";
        return dialer;
    }
    // As the session stores what the user typed: saved, then read back.
    void Store(const std::string& entry) {
        const std::size_t loads = loaded_.size();
        dialer_->SaveEntry(entry);
        dialer_->LoadEntry(entry);
        EXPECT_TRUE(WaitForLoads(loads + 1)) << "not read back";
    }
    static bool Until(const std::function<bool()>& condition) {
        return QTest::qWaitFor(condition, kWaitMs);
    }
    bool WaitForState(int state) {
        return Until([&] { return std::count(states_.begin(), states_.end(), state) > 0; });
    }
    bool WaitForErrors(std::size_t count) {
        return Until([&] { return errors_.size() >= count; });
    }
    bool WaitForLoads(std::size_t count) {
        return Until([&] { return loaded_.size() >= count; });
    }
    bool Traced(const std::string& text) const {
        return std::any_of(traces_.begin(), traces_.end(), [&](const std::string& line) {
            return line.find(text) != std::string::npos;
        });
    }
    void Signal(int signal) {
        ASSERT_EQ(kill(static_cast<pid_t>(bus_.Mock().processId()), signal), 0);
    }
    Names Entries() {
        Names names;
        for (int i = 0; i < dialer_->EntryCount(); ++i) {
            names.push_back(dialer_->EntryNameAt(i));
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    PrivateBus bus_;
    QHash<QString, uint> deviceStates_;
    std::unique_ptr<NetworkManagerDialer> dialer_;
    std::vector<int> states_;
    std::vector<std::string> errors_;
    std::vector<std::string> notices_;
    std::vector<std::string> traces_;
    std::vector<Credentials> loaded_;  // what each entryLoaded found
    int phoneBookChanges_ = 0;
};

TEST_F(NetworkManagerDialerTest, ListsOnlyDialUpProfilesAndFollowsThemAsTheyChange) {
    const QVariantMap apn{{"apn", "cmnet"}};
    const QVariantMap card{{"apn", "cmnet"}, {"username", "card"}, {"password", "gsm-pass"}};
    AddProfile(Pppoe());
    const QString mobile = AddProfile(Profile("手机上网", "gsm", "2-gsm", {{"gsm", card}}));
    AddProfile(Profile("蓝牙拨号连接", "bluetooth", "3-dun",
                       {{"bluetooth", {{"type", "dun"}}}, {"gsm", apn}}));
    AddProfile(Profile("蓝牙网络", "bluetooth", "4-panu", {{"bluetooth", {{"type", "panu"}}}}));
    AddProfile(Profile("家里的 Wi-Fi", "802-11-wireless", "5-wifi"));

    // Asked for before the list came: it waits, and is selected when the list does.
    NetworkManagerDialer& dialer = MakeDialer();
    dialer.LoadEntry("手机上网");
    EXPECT_EQ(dialer.EntryCount(), 0);
    EXPECT_EQ(dialer.EntryName(), "");
    ASSERT_TRUE(Until([&] { return phoneBookChanges_ == 1; }));
    EXPECT_EQ(dialer.EntryName(), "手机上网");
    EXPECT_EQ(Entries(), (Names{"宽带连接", "手机上网", "蓝牙拨号连接"}));
    ASSERT_TRUE(WaitForLoads(1));
    EXPECT_EQ(loaded_, (std::vector<Credentials>{{"card", "gsm-pass"}}));

    // Added: only the dial-up one joins.
    AddProfile(Profile("咖啡馆 Wi-Fi", "802-11-wireless", "7-wifi"));
    AddProfile(Profile("电信上网", "cdma", "8-cdma", {{"cdma", {{"number", "#777"}}}}));
    ASSERT_TRUE(Until([&] { return dialer.EntryCount() == 4; }));
    EXPECT_EQ(Entries(), (Names{"宽带连接", "手机上网", "电信上网", "蓝牙拨号连接"}));
    EXPECT_GE(phoneBookChanges_, 2);

    // Renamed: the selection follows the profile.
    Call(mobile, kProfile, "Update",
         {QVariant::fromValue(Profile("手机上网（新）", "gsm", "2-gsm", {{"gsm", card}}))});
    ASSERT_TRUE(Until([&] { return dialer.EntryName() == "手机上网（新）"; }));
    EXPECT_EQ(Entries(), (Names{"宽带连接", "手机上网（新）", "电信上网", "蓝牙拨号连接"}));

    // Removed: gone from the list and no longer selected.
    Call(mobile, kProfile, "Delete");
    ASSERT_TRUE(Until([&] { return dialer.EntryCount() == 3; }));
    EXPECT_EQ(dialer.EntryName(), "");
    EXPECT_EQ(Entries(), (Names{"宽带连接", "电信上网", "蓝牙拨号连接"}));
}

TEST_F(NetworkManagerDialerTest, FullCallShowsEachStepOnceAndCountsFromConnect) {
    const QString device = AddDevice("lo");
    AddProfile(Pppoe());
    const QString active = ScriptActivation(1, device);
    NetworkManagerDialer& dialer = MakeDialerWithList();
    dialer.LoadEntry("宽带连接");
    SendOverLoopback(64 * 1024);
    const auto before = vornik::ReadInterfaceTotals("lo");
    ASSERT_TRUE(before.has_value());

    dialer.Connect();
    EXPECT_TRUE(states_.empty()) << "raised from inside Connect";
    ASSERT_TRUE(WaitForState(ds::kOpenPort));
    // NetworkManager asks for secrets and then prepares the device again.
    for (const uint state : {40u, 50u, 60u, 40u, 50u, 70u, 80u, 90u}) {
        DeviceState(device, state);
    }
    Set(active, kActive, "Ip4Config",
        QVariant::fromValue(QDBusObjectPath(kManager + "/IP4Config/1")));
    DeviceState(device, 100);
    ActiveState(active, 2);
    ASSERT_TRUE(WaitForState(ds::kConnected));
    Names texts;
    for (const int state : states_) {
        texts.push_back(vornik::StateText(state));
    }
    EXPECT_EQ(texts, (Names{"正在打开端口", "端口已打开", "正在打开设备", "设备已打开",
                            "所有设备都打开，连接建立", "用户验证开始", "通过用户验证", "协议通过",
                            "登陆网络", "连接已建立"}));
    EXPECT_TRUE(dialer.IsConnected());
    EXPECT_EQ(dialer.IPAddress(), "10.64.0.1");

    SendOverLoopback(64 * 1024);
    const auto after = vornik::ReadInterfaceTotals("lo");
    ASSERT_TRUE(after.has_value());
    EXPECT_GE(dialer.BytesReceived(), 64 * 1024);
    EXPECT_GE(dialer.BytesSent(), 64 * 1024);
    EXPECT_LE(dialer.BytesReceived(), after->received - before->received);
    EXPECT_LE(dialer.BytesSent(), after->sent - before->sent);

    // A dialer started now finds the link up; ours hangs it up, elsewhere for it.
    NetworkManagerDialer other({.bus = bus_.Bus()});
    ASSERT_TRUE(Until([&] { return other.IsConnected(); }));
    EXPECT_EQ(other.DeviceType(), "PPPoE");
    EXPECT_EQ(other.IPAddress(), "10.64.0.1");
    dialer.HangUp();
    EXPECT_EQ(states_.back(), ds::kConnected) << "raised from inside HangUp";
    ASSERT_TRUE(WaitForState(ds::kDisconnected));
    EXPECT_TRUE(Until([&] { return !other.IsConnected(); }));
    EXPECT_FALSE(dialer.IsConnected());
    // All NetworkManager sent about the hang-up comes before its answer to a later
    // question, and with it a second report of the hang-up, if there were one.
    dialer.LoadEntry("宽带连接");
    ASSERT_TRUE(WaitForLoads(2));
    EXPECT_EQ(std::count(states_.begin(), states_.end(), ds::kDisconnected), 1);
    EXPECT_EQ(CallsOf(kManager, "DeactivateConnection"), 1);
    EXPECT_TRUE(errors_.empty());

    bus_.Mock().terminate();
    bus_.Mock().waitForFinished(kWaitMs);
    EXPECT_TRUE(Until([&] { return !NetworkManagerDialer::IsAvailable(bus_.Bus()); }));
}

// The profiles come after start-up: the session selects the entry used last and
// dials it then, not before and not the first one in the list.
TEST_F(NetworkManagerDialerTest, TheSessionDialsItsLastEntryOnceTheProfilesArrive) {
    const QString device = AddDevice("lo");
    AddProfile(Profile("A 备用", "pppoe", "0b5a-spare", {{"pppoe", {{"username", "spare"}}}}));
    AddProfile(Pppoe());
    ScriptActivation(1, device);
    TempFolder folder;
    vornik::ErrorLog log(folder / "log/error.log");
    vornik::Dbio db(folder / "db/diallog.db", log);
    db.OpenDatabase();
    ASSERT_TRUE(db.SaveConfig(vornik::keys::kLastEntry, "宽带连接"));
    ASSERT_TRUE(db.SaveConfig(vornik::keys::kAutoDial, "1"));
    NetworkManagerDialer dialer({.bus = bus_.Bus()});
    vornik::testing::FakeClock clock({2006, 5, 10, 9, 0, 0});
    vornik::testing::RecordingUi ui;
    vornik::testing::FakeProbe probe;
    vornik::Session session(db, dialer, clock, ui, probe);
    session.StartUp();
    session.AutoDial();
    EXPECT_TRUE(ui.statusLines.empty()) << "the start-up dial did not wait";

    ASSERT_TRUE(Until([&] { return CallsOf(kManager, "ActivateConnection") == 1; }));
    EXPECT_EQ(dialer.EntryName(), "宽带连接");
    EXPECT_EQ(ui.entryText, "宽带连接");
    EXPECT_EQ(ui.entryList, (Names{"A 备用", "宽带连接"}));
    ASSERT_TRUE(Until([&] { return ui.shownUserName == "old-user"; }));
}

TEST_F(NetworkManagerDialerTest, AFailedActivationTellsWhyInWords) {
    const QString device = AddDevice("");
    AddProfile(Pppoe());
    NetworkManagerDialer& dialer = MakeDialerWithList();
    dialer.Connect();  // nothing selected
    EXPECT_TRUE(errors_.empty()) << "raised from inside Connect";
    ASSERT_TRUE(WaitForErrors(1));
    EXPECT_EQ(errors_[0], "没有选择要拨号的连接。");

    // The device says what went wrong; the active connection only that it went.
    dialer.LoadEntry("宽带连接");
    const QString active = ScriptActivation(1, device);
    dialer.Connect();
    ASSERT_TRUE(WaitForState(ds::kOpenPort));
    DeviceState(device, 40);
    DeviceState(device, 120, 14);
    ActiveState(active, 4, 3);
    ASSERT_TRUE(WaitForErrors(2));
    EXPECT_EQ(errors_[1], "PPP 连接失败，请检查用户名和密码");

    RefuseActivation("org.freedesktop.NetworkManager.PermissionDenied");
    dialer.Connect();
    ASSERT_TRUE(WaitForErrors(3));
    EXPECT_EQ(errors_[2], "没有拨号的权限，NetworkManager 拒绝了请求");
    EXPECT_FALSE(dialer.IsConnected());
    EXPECT_EQ(std::count(states_.begin(), states_.end(), ds::kDisconnected), 0);
    EXPECT_EQ(CallsOf(kManager, "DeactivateConnection"), 0);

    // Without the device's word, the active connection's, by number if it has no name.
    EXPECT_NE(NetworkManagerDialer::FailureMessage(77, 0).find("77"), std::string::npos);
}

TEST_F(NetworkManagerDialerTest, SavingCredentialsLeavesTheRestOfTheProfileAsItWas) {
    Settings full = Pppoe();
    full["connection"].insert({{"autoconnect", false},
                               {"timestamp", QVariant::fromValue(qulonglong{1700000000})},
                               {"permissions", QStringList{"user:alice"}},
                               {"autoconnect-priority", -5}});
    full["pppoe"].insert({{"service", "isp"}, {"password-flags", 0u}});
    full["ipv4"] = {
        {"dns", QVariant::fromValue(QList<uint>{0x08080808u})},
        {"addresses", QVariant::fromValue(QList<QList<uint>>{{0x0100000au, 24, 0}})},
        {"address-data",
         QVariant::fromValue(QList<QVariantMap>{{{"address", "10.0.0.1"}, {"prefix", 24u}}})},
        {"route-metric", QVariant::fromValue(qlonglong{-1})},
        {"dns-search", QStringList{}}};
    full["ipv6"] = {{"dns", QVariant::fromValue(QList<QByteArray>{QByteArray(16, '\x01')})}};
    full["802-3-ethernet"] = {{"mac-address", QByteArray::fromHex("78dd08d23d43")}};
    full["proxy"] = {};
    const QString pppoe = AddProfile(full);
    const QString gsm = AddProfile(
        Profile("手机上网", "gsm", "2-gsm",
                {{"gsm", {{"username", "card"}, {"password", "old"}, {"pin", "1234"}}}}));
    NetworkManagerDialer& dialer = MakeDialerWithList();
    const std::string before = Dump(pppoe);

    // The answer for an entry picked and left at once comes first, and is not taken.
    dialer.LoadEntry("手机上网");
    dialer.LoadEntry("宽带连接");
    ASSERT_TRUE(WaitForLoads(1));
    EXPECT_EQ(loaded_, (std::vector<Credentials>{{"old-user", "old-pass"}}));

    Store("宽带连接");  // the same values back: nothing to write
    EXPECT_EQ(CallsOf(pppoe, "Update"), 0);
    // Both boxes left in quick succession: the second save starts while the first
    // is on its way, and the reading back waits for both.
    dialer.SetEntryUserName("新用户");
    dialer.SaveEntry("宽带连接");
    dialer.LoadEntry("宽带连接");
    dialer.SetEntryPassword("new pass");
    Store("宽带连接");
    EXPECT_EQ(loaded_.back(), (Credentials{"新用户", "new pass"}));
    std::string expected = before;
    for (const auto& [from, to] :
         {std::pair{"'old-user'", "'新用户'"}, {"'old-pass'", "'new pass'"}}) {
        expected.replace(expected.find(from), std::strlen(from), to);
    }
    EXPECT_EQ(Dump(pppoe), expected);

    // A secret that is not a credential survives too.
    dialer.LoadEntry("手机上网");
    ASSERT_TRUE(Until([&] { return loaded_.back() == Credentials{"card", "old"}; }));
    dialer.SetEntryPassword("new");
    Store("手机上网");
    const std::string saved = Dump(gsm);
    EXPECT_NE(saved.find("gsm.password = dbus.String('new'"), std::string::npos) << saved;
    EXPECT_NE(saved.find("gsm.pin = dbus.String('1234'"), std::string::npos) << saved;
    EXPECT_TRUE(notices_.empty());
}

// NetworkManager hung mid-session: whatever the session calls returns before any
// answer could have come, and the user hears of it once, when the calls time out.
TEST_F(NetworkManagerDialerTest, AStoppedNetworkManagerHoldsNothingUpAndIsReportedOnce) {
    AddProfile(Pppoe());
    // The dial, carried out late once the mock runs again, leaves no link behind.
    RefuseActivation("org.freedesktop.NetworkManager.PermissionDenied");
    NetworkManagerDialer& dialer = MakeDialer(kShortTimeoutMs);
    dialer.LoadEntry("宽带连接");
    ASSERT_TRUE(WaitForLoads(1));

    Signal(SIGSTOP);
    dialer.LoadEntry("宽带连接");
    dialer.SetEntryUserName("新用户");
    dialer.SaveEntry("宽带连接");
    EXPECT_EQ(dialer.EntryUserName(), "新用户");
    EXPECT_EQ(dialer.EntryName(), "宽带连接");
    EXPECT_EQ(dialer.EntryCount(), 1);
    EXPECT_FALSE(dialer.IsConnected());
    dialer.Connect();
    EXPECT_TRUE(NetworkManagerDialer::IsAvailable(bus_.Bus())) << "the bus daemon answers for it";
    EXPECT_EQ(loaded_.size(), 1u);
    EXPECT_TRUE(notices_.empty());
    EXPECT_TRUE(errors_.empty());

    ASSERT_TRUE(Until([&] { return !notices_.empty(); }));
    EXPECT_EQ(notices_[0].rfind("NetworkManager 没有响应，", 0), 0u) << notices_[0];
    ASSERT_TRUE(WaitForErrors(1));
    EXPECT_EQ(errors_[0], "NetworkManager 没有响应，无法拨号");
    // Every thing left undone reaches the trace; the user was told once.
    ASSERT_TRUE(Until([&] {
        return Traced("宽带连接”的用户名和密码未能读取") && Traced("宽带连接”的用户名和密码未保存");
    }));
    EXPECT_EQ(notices_.size(), 1u);
    EXPECT_EQ(loaded_.size(), 1u) << "credentials that were never read came as loaded";

    // Answering again: the credentials come as they are, unsaved, and a new
    // silence is told again.
    Signal(SIGCONT);
    dialer.LoadEntry("宽带连接");
    ASSERT_TRUE(WaitForLoads(2));
    EXPECT_EQ(loaded_.back(), (Credentials{"old-user", "old-pass"}));
    Signal(SIGSTOP);
    dialer.LoadEntry("宽带连接");
    ASSERT_TRUE(Until([&] { return notices_.size() == 2; }));
    EXPECT_NE(notices_[1].find("用户名和密码未能读取"), std::string::npos) << notices_[1];
}

TEST_F(NetworkManagerDialerTest, EditorIsStartedOrItsPackageNamed) {
    AddProfile(Pppoe());
    NetworkManagerDialer& dialer = MakeDialerWithList();
    TempFolder bin;
    const auto editor = bin / "nm-connection-editor";
    vornik::testing::WriteFile(editor, "#!/bin/sh\necho \"$@\" > \"$0.args\"\n");
    std::filesystem::permissions(editor, std::filesystem::perms::owner_all);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QByteArray::fromStdString(bin.Path().string()));
    dialer.EditEntry("宽带连接");
    EXPECT_TRUE(
        Until([&] { return ReadFile(editor.string() + ".args") == "--edit=0b5a-pppoe\n"; }));
    std::filesystem::remove(editor);
    EXPECT_EQ(dialer.CreateEntry(), 1);
    qputenv("PATH", path);
    ASSERT_EQ(notices_.size(), 1u);
    EXPECT_NE(notices_[0].find("network-manager-gnome"), std::string::npos) << notices_[0];
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    qDBusRegisterMetaType<Settings>();
    qDBusRegisterMetaType<QList<QVariantMap>>();
    qDBusRegisterMetaType<QList<QList<uint>>>();
    qDBusRegisterMetaType<QList<QByteArray>>();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
