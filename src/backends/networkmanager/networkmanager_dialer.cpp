#include "networkmanager/networkmanager_dialer.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QMap>
#include <QMetaObject>
#include <QProcess>
#include <QStandardPaths>
#include <algorithm>
#include <iterator>

namespace vornik {

namespace {

namespace ds = vornik::dial_state;

// A profile as NetworkManager sends it: setting name -> key -> value.
using SettingsMap = QMap<QString, QVariantMap>;

const QString kService = QStringLiteral("org.freedesktop.NetworkManager");
const QString kManagerPath = QStringLiteral("/org/freedesktop/NetworkManager");
const QString kManagerInterface = kService;
const QString kSettingsPath = QStringLiteral("/org/freedesktop/NetworkManager/Settings");
const QString kSettingsInterface = QStringLiteral("org.freedesktop.NetworkManager.Settings");
const QString kProfileInterface =
    QStringLiteral("org.freedesktop.NetworkManager.Settings.Connection");
const QString kActiveInterface = QStringLiteral("org.freedesktop.NetworkManager.Connection.Active");
const QString kDeviceInterface = QStringLiteral("org.freedesktop.NetworkManager.Device");
const QString kIp4ConfigInterface = QStringLiteral("org.freedesktop.NetworkManager.IP4Config");
const QString kPropertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kNoObject = QStringLiteral("/");
const QString kEditor = QStringLiteral("nm-connection-editor");

// NMActiveConnectionState.
constexpr unsigned kActivating = 1;
constexpr unsigned kActivated = 2;
constexpr unsigned kDeactivated = 4;
// NMDeviceState.
constexpr unsigned kDeviceDisconnected = 30;
constexpr unsigned kDevicePrepare = 40;
constexpr unsigned kDeviceConfig = 50;
constexpr unsigned kDeviceNeedAuth = 60;
constexpr unsigned kDeviceIpConfig = 70;
constexpr unsigned kDeviceIpCheck = 80;
constexpr unsigned kDeviceSecondaries = 90;
constexpr unsigned kDeviceActivated = 100;
constexpr unsigned kDeviceFailed = 120;
// Reasons that mean someone hung up rather than that the dial failed.
constexpr unsigned kReasonUnknown = 0;
constexpr unsigned kActiveReasonUserDisconnected = 2;
constexpr unsigned kDeviceReasonUserRequested = 39;

// The steps of a dial in the order the status line shows them; each is raised at
// most once, and never after a later one.
constexpr int kProgressSteps[] = {
    ds::kOpenPort,        ds::kPortOpened,          ds::kConnectDevice,
    ds::kDeviceConnected, ds::kAllDevicesConnected, ds::kAuthenticate,
    ds::kAuthenticated,   ds::kProjected,           ds::kLogonNetwork};

std::vector<int> ProgressFor(unsigned deviceState, bool authenticating) {
    switch (deviceState) {
        case kDevicePrepare:
            return {ds::kOpenPort, ds::kPortOpened};
        case kDeviceConfig:
            return {ds::kConnectDevice, ds::kDeviceConnected, ds::kAllDevicesConnected};
        case kDeviceNeedAuth:
            return {ds::kAuthenticate};
        case kDeviceIpConfig:
            // Addresses are only negotiated once the peer has accepted the login.
            if (authenticating) {
                return {ds::kAuthenticated, ds::kProjected};
            }
            return {ds::kProjected};
        case kDeviceIpCheck:
        case kDeviceSecondaries:
            return {ds::kLogonNetwork};
        default:
            return {};
    }
}

QString ObjectPath(const QVariant& value) {
    return value.value<QDBusObjectPath>().path();
}

QStringList ObjectPaths(const QVariant& value) {
    QList<QDBusObjectPath> paths;
    if (value.canConvert<QDBusArgument>()) {
        value.value<QDBusArgument>() >> paths;
    } else {
        paths = value.value<QList<QDBusObjectPath>>();
    }
    QStringList result;
    for (const QDBusObjectPath& path : paths) {
        result.append(path.path());
    }
    return result;
}

std::string FirstAddress(const QVariant& addressData) {
    const auto addresses = qdbus_cast<QList<QVariantMap>>(addressData);
    return addresses.isEmpty()
               ? std::string{}
               : addresses.first().value(QStringLiteral("address")).toString().toStdString();
}

// The setting that holds a dial-up profile's user name and password; empty for
// every other kind of profile.
QString CredentialSetting(const SettingsMap& settings) {
    for (const char* name : {"pppoe", "gsm", "cdma"}) {
        if (settings.contains(QLatin1String(name))) {
            return QLatin1String(name);
        }
    }
    return {};
}

bool IsDialUp(const SettingsMap& settings) {
    const QString type =
        settings.value(QStringLiteral("connection")).value(QStringLiteral("type")).toString();
    if (type == QLatin1String("bluetooth")) {
        return settings.value(QStringLiteral("bluetooth"))
                   .value(QStringLiteral("type"))
                   .toString() == QLatin1String("dun");
    }
    // Older PPPoE profiles are Ethernet profiles with a pppoe setting.
    return type == QLatin1String("pppoe") || type == QLatin1String("gsm") ||
           type == QLatin1String("cdma") || settings.contains(QStringLiteral("pppoe"));
}

std::string DeviceTypeText(const QString& type, const QString& credentialSetting) {
    if (type == QLatin1String("bluetooth")) {
        return "蓝牙拨号";
    }
    if (credentialSetting == QLatin1String("gsm")) {
        return "移动宽带 (GSM)";
    }
    if (credentialSetting == QLatin1String("cdma")) {
        return "移动宽带 (CDMA)";
    }
    return "PPPoE";
}

std::optional<SettingsMap> SettingsFrom(const std::optional<QDBusMessage>& reply) {
    if (!reply || reply->arguments().isEmpty()) {
        return std::nullopt;
    }
    return qdbus_cast<SettingsMap>(reply->arguments().constFirst());
}

std::string Quoted(const std::string& name) {
    return "“" + name + "”";
}

}  // namespace

bool NetworkManagerDialer::IsAvailable(const QDBusConnection& bus) {
    if (!bus.isConnected()) {
        return false;
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kManagerPath, kPropertiesInterface, "Get");
    call << kManagerInterface << QStringLiteral("Version");
    return bus.call(call, QDBus::Block, kCallTimeoutMs).type() == QDBusMessage::ReplyMessage;
}

NetworkManagerDialer::NetworkManagerDialer(QDBusConnection bus, QObject* parent)
    : QObject(parent), bus_(std::move(bus)) {
    qDBusRegisterMetaType<SettingsMap>();
    qDBusRegisterMetaType<QList<QVariantMap>>();
    // Listening first, so that nothing changes unseen between reading and listening.
    Subscribe();
    LoadPhoneBook();
    if (const auto manager = Properties(kManagerPath, kManagerInterface)) {
        AdoptActiveLink(ObjectPaths(manager->value(QStringLiteral("ActiveConnections"))));
    }
}

// ---- Properties -------------------------------------------------------------

bool NetworkManagerDialer::IsConnected() {
    return link_.phase == Phase::kUp;
}

std::string NetworkManagerDialer::EntryName() {
    const Profile* selected = FindProfile(selectedPath_);
    return selected != nullptr ? selected->name : std::string{};
}

std::string NetworkManagerDialer::EntryUserName() {
    return userName_;
}
void NetworkManagerDialer::SetEntryUserName(const std::string& name) {
    userName_ = name;
}
std::string NetworkManagerDialer::EntryPassword() {
    return password_;
}
void NetworkManagerDialer::SetEntryPassword(const std::string& password) {
    password_ = password;
}

int NetworkManagerDialer::EntryCount() {
    return static_cast<int>(profiles_.size());
}

std::string NetworkManagerDialer::EntryNameAt(int index) {
    if (index < 0 || index >= EntryCount()) {
        return {};
    }
    return profiles_[static_cast<std::size_t>(index)].name;
}

std::string NetworkManagerDialer::DeviceType() {
    if (link_.phase != Phase::kIdle) {
        return DeviceTypeText(link_.profile.type, link_.profile.secretSetting);
    }
    const Profile* selected = FindProfile(selectedPath_);
    return selected != nullptr ? DeviceTypeText(selected->type, selected->secretSetting)
                               : std::string{};
}

std::string NetworkManagerDialer::IPAddress() {
    return link_.phase == Phase::kUp ? link_.address : std::string{};
}

std::int64_t NetworkManagerDialer::BytesReceived() {
    return counters_.Read().received;
}
std::int64_t NetworkManagerDialer::BytesSent() {
    return counters_.Read().sent;
}

// ---- Phone book -------------------------------------------------------------

void NetworkManagerDialer::LoadEntry(const std::string& name) {
    const Profile* profile = FindProfileNamed(name);
    selectedPath_ = profile != nullptr ? profile->path : QString{};
    userName_.clear();
    password_.clear();
    if (profile != nullptr) {
        ReadCredentials(*profile);
    }
    RaiseEntryLoaded();
}

void NetworkManagerDialer::ReadCredentials(const Profile& profile) {
    const QString setting = profile.secretSetting;
    if (setting.isEmpty()) {
        return;
    }
    const auto settings = SettingsFrom(CallNow(profile.path, kProfileInterface, "GetSettings", {}));
    if (settings) {
        userName_ =
            settings->value(setting).value(QStringLiteral("username")).toString().toStdString();
    }
    const auto secrets =
        SettingsFrom(CallNow(profile.path, kProfileInterface, "GetSecrets", {setting}));
    if (secrets) {
        password_ =
            secrets->value(setting).value(QStringLiteral("password")).toString().toStdString();
    }
}

// NetworkManager replaces a profile as a whole on Update, and leaves its secrets
// out of GetSettings: the profile is read with its secrets so that it goes back
// exactly as it was, but for the two values.
void NetworkManagerDialer::SaveEntry(const std::string& name) {
    const Profile* profile = FindProfileNamed(name);
    if (profile == nullptr || profile->secretSetting.isEmpty()) {
        Notice("没有名为" + Quoted(name) + "、可保存用户名和密码的拨号连接，用户名和密码未保存。");
        return;
    }
    const QString path = profile->path;
    const QString setting = profile->secretSetting;
    auto settings = SettingsFrom(CallNow(path, kProfileInterface, "GetSettings", {}));
    const auto secrets = SettingsFrom(CallNow(path, kProfileInterface, "GetSecrets", {setting}));
    if (!settings || !secrets) {
        Notice("无法读取连接" + Quoted(name) + "的设置，用户名和密码未保存。");
        return;
    }
    QVariantMap& credentials = (*settings)[setting];
    const QVariantMap stored = secrets->value(setting);
    for (auto secret = stored.cbegin(); secret != stored.cend(); ++secret) {
        credentials.insert(secret.key(), secret.value());
    }
    const QString userName = QString::fromStdString(userName_);
    const QString password = QString::fromStdString(password_);
    if (credentials.value(QStringLiteral("username")).toString() == userName &&
        credentials.value(QStringLiteral("password")).toString() == password) {
        return;  // nothing to write; the profile stays untouched
    }
    credentials.insert(QStringLiteral("username"), userName);
    credentials.insert(QStringLiteral("password"), password);
    QString error;
    if (!CallNow(path, kProfileInterface, "Update", {QVariant::fromValue(*settings)}, &error)) {
        Notice("无法保存连接" + Quoted(name) + "的用户名和密码：" + error.toStdString());
    }
}

int NetworkManagerDialer::CreateEntry() {
    StartEditor({QStringLiteral("--create"), QStringLiteral("--type=pppoe")}, "新建");
    return 1;
}

void NetworkManagerDialer::EditEntry(const std::string& name) {
    const Profile* profile = FindProfileNamed(name);
    if (profile == nullptr) {
        Notice("没有名为" + Quoted(name) + "的拨号连接。");
        return;
    }
    StartEditor({QStringLiteral("--edit=") + profile->uuid}, "修改");
}

void NetworkManagerDialer::StartEditor(const QStringList& arguments, const char* purpose) {
    const QString editor = QStandardPaths::findExecutable(kEditor);
    if (editor.isEmpty()) {
        Notice(std::string("未找到 nm-connection-editor：请安装软件包 network-manager-gnome"
                           "（Debian），或用系统设置") +
               purpose + "连接。");
        return;
    }
    if (!QProcess::startDetached(editor, arguments)) {
        Trace("cannot start " + editor.toStdString());
        Notice("无法启动 nm-connection-editor。");
    }
}

void NetworkManagerDialer::LoadPhoneBook() {
    const auto reply = CallNow(kSettingsPath, kSettingsInterface, "ListConnections", {});
    if (!reply || reply->arguments().isEmpty()) {
        return;
    }
    for (const QString& path : ObjectPaths(reply->arguments().constFirst())) {
        if (auto profile = ReadProfile(path)) {
            profiles_.push_back(std::move(*profile));
        }
    }
    std::stable_sort(profiles_.begin(), profiles_.end(),
                     [](const Profile& a, const Profile& b) { return a.name < b.name; });
}

// Nothing when the profile is not a dial-up one or cannot be read.
std::optional<NetworkManagerDialer::Profile> NetworkManagerDialer::ReadProfile(
    const QString& path) {
    const auto settings = SettingsFrom(CallNow(path, kProfileInterface, "GetSettings", {}));
    if (!settings || !IsDialUp(*settings)) {
        return std::nullopt;
    }
    const QVariantMap connection = settings->value(QStringLiteral("connection"));
    return Profile{path, connection.value(QStringLiteral("id")).toString().toStdString(),
                   connection.value(QStringLiteral("uuid")).toString(),
                   connection.value(QStringLiteral("type")).toString(),
                   CredentialSetting(*settings)};
}

// A profile that was added or changed: it joins, leaves or is renamed in the list.
void NetworkManagerDialer::RefreshProfile(const QString& path) {
    auto profile = ReadProfile(path);
    if (!profile) {
        ForgetProfile(path);
        return;
    }
    const auto known = std::find_if(profiles_.begin(), profiles_.end(),
                                    [&](const Profile& p) { return p.path == path; });
    const bool listChanged = known == profiles_.end() || known->name != profile->name;
    if (known != profiles_.end()) {
        profiles_.erase(known);
    }
    const auto place =
        std::upper_bound(profiles_.begin(), profiles_.end(), profile->name,
                         [](const std::string& name, const Profile& p) { return name < p.name; });
    profiles_.insert(place, std::move(*profile));
    if (listChanged) {
        RaisePhoneBookChanged();
    }
}

void NetworkManagerDialer::ForgetProfile(const QString& path) {
    const auto known = std::find_if(profiles_.begin(), profiles_.end(),
                                    [&](const Profile& p) { return p.path == path; });
    if (known == profiles_.end()) {
        return;
    }
    profiles_.erase(known);
    if (selectedPath_ == path) {
        selectedPath_.clear();
        userName_.clear();
        password_.clear();
    }
    RaisePhoneBookChanged();
}

const NetworkManagerDialer::Profile* NetworkManagerDialer::FindProfile(const QString& path) const {
    const auto found = std::find_if(profiles_.begin(), profiles_.end(),
                                    [&](const Profile& p) { return p.path == path; });
    return found != profiles_.end() && !path.isEmpty() ? &*found : nullptr;
}

const NetworkManagerDialer::Profile* NetworkManagerDialer::FindProfileNamed(
    const std::string& name) const {
    const auto found = std::find_if(profiles_.begin(), profiles_.end(),
                                    [&](const Profile& p) { return p.name == name; });
    return found != profiles_.end() ? &*found : nullptr;
}

void NetworkManagerDialer::OnProfileAdded(const QDBusMessage& message) {
    if (!message.arguments().isEmpty()) {
        RefreshProfile(ObjectPath(message.arguments().constFirst()));
    }
}

void NetworkManagerDialer::OnProfileRemoved(const QDBusMessage& message) {
    if (!message.arguments().isEmpty()) {
        ForgetProfile(ObjectPath(message.arguments().constFirst()));
    }
}

void NetworkManagerDialer::OnProfileUpdated(const QDBusMessage& message) {
    RefreshProfile(message.path());
}

// ---- Dialling ---------------------------------------------------------------

void NetworkManagerDialer::Connect() {
    if (link_.phase != Phase::kIdle) {
        return;
    }
    const Profile* profile = FindProfile(selectedPath_);
    if (profile == nullptr) {
        QMetaObject::invokeMethod(
            this, [this] { RaiseDialError("没有选择要拨号的连接。"); }, Qt::QueuedConnection);
        return;
    }
    link_ = Link{};
    link_.phase = Phase::kRequested;
    link_.profile = *profile;
    const int serial = ++linkSerial_;
    earlyEnds_.clear();
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kManagerPath, kManagerInterface,
                                                       "ActivateConnection");
    call << QVariant::fromValue(QDBusObjectPath(profile->path))
         << QVariant::fromValue(QDBusObjectPath(kNoObject))
         << QVariant::fromValue(QDBusObjectPath(kNoObject));
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, serial](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                OnActivationReply(serial, finished->reply());
            });
}

void NetworkManagerDialer::OnActivationReply(int serial, const QDBusMessage& reply) {
    if (serial != linkSerial_ || link_.phase != Phase::kRequested) {
        return;
    }
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        const bool hungUp = link_.hangUpAsked;
        link_ = Link{};
        ++linkSerial_;
        Trace("ActivateConnection: " + reply.errorName().toStdString() + " " +
              reply.errorMessage().toStdString());
        if (hungUp) {
            RaiseStateChanged(ds::kDisconnected);
        } else {
            RaiseDialError(RefusalMessage(reply.errorName(), reply.errorMessage()));
        }
        return;
    }
    link_.activePath = ObjectPath(reply.arguments().constFirst());
    link_.phase = Phase::kDialing;
    if (link_.hangUpAsked) {
        Deactivate();
    }
    Progress({ds::kOpenPort});
    if (serial == linkSerial_) {
        FollowActiveConnection();
    }
}

void NetworkManagerDialer::HangUp() {
    if (link_.phase == Phase::kIdle || link_.hangUpAsked) {
        return;
    }
    link_.hangUpAsked = true;
    if (link_.phase != Phase::kRequested) {
        Deactivate();
    }
}

void NetworkManagerDialer::Deactivate() {
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kManagerPath, kManagerInterface,
                                                       "DeactivateConnection");
    call << QVariant::fromValue(QDBusObjectPath(link_.activePath));
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    const int serial = linkSerial_;
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, serial](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                const QDBusMessage reply = finished->reply();
                if (serial != linkSerial_ || reply.type() == QDBusMessage::ReplyMessage) {
                    return;
                }
                Trace("DeactivateConnection: " + reply.errorMessage().toStdString());
                // Gone already, or still up: then say so and let the user try again.
                const auto manager = Properties(kManagerPath, kManagerInterface);
                if (manager && !ObjectPaths(manager->value(QStringLiteral("ActiveConnections")))
                                    .contains(link_.activePath)) {
                    EndLink(kActiveReasonUserDisconnected);
                    return;
                }
                link_.hangUpAsked = false;
                Notice("无法断开连接：" + reply.errorMessage().toStdString());
            });
}

// Catches up with what happened to the active connection before it was known.
void NetworkManagerDialer::FollowActiveConnection() {
    const int serial = linkSerial_;
    const auto active = Properties(link_.activePath, kActiveInterface);
    if (!active || earlyEnds_.contains(link_.activePath)) {
        EndLink(earlyEnds_.value(link_.activePath, kReasonUnknown));
        return;
    }
    // Ended after the reply was sent: its StateChanged, with the reason, is on its way.
    const unsigned state = active->value(QStringLiteral("State")).toUInt();
    if (state == kDeactivated) {
        return;
    }
    link_.devices = ObjectPaths(active->value(QStringLiteral("Devices")));
    link_.ip4Config = ObjectPath(active->value(QStringLiteral("Ip4Config")));
    if (state == kActivated) {
        BringUp();
        return;
    }
    for (const QString& device : QStringList(link_.devices)) {
        const auto properties = Properties(device, kDeviceInterface);
        if (!properties || serial != linkSerial_ || link_.phase != Phase::kDialing) {
            continue;
        }
        const unsigned deviceState = properties->value(QStringLiteral("State")).toUInt();
        if (deviceState == kDeviceNeedAuth) {
            link_.authenticating = true;
        }
        Progress(ProgressFor(deviceState, link_.authenticating));
    }
}

// A dial-up link that NetworkManager brought up or is bringing up by itself (at
// start-up, by autoconnect, or from another program) is followed like our own.
void NetworkManagerDialer::AdoptActiveLink(const QStringList& active) {
    for (const QString& path : active) {
        const auto properties = Properties(path, kActiveInterface);
        if (!properties) {
            continue;
        }
        const unsigned state = properties->value(QStringLiteral("State")).toUInt();
        const Profile* profile =
            FindProfile(ObjectPath(properties->value(QStringLiteral("Connection"))));
        if (profile == nullptr || (state != kActivating && state != kActivated)) {
            continue;
        }
        link_ = Link{};
        link_.phase = Phase::kDialing;
        link_.profile = *profile;
        link_.activePath = path;
        ++linkSerial_;
        FollowActiveConnection();
        return;
    }
}

void NetworkManagerDialer::OnActiveConnectionsChanged(const QStringList& active) {
    if (link_.phase == Phase::kIdle) {
        AdoptActiveLink(active);
    } else if (link_.phase != Phase::kRequested && !active.contains(link_.activePath)) {
        EndLink(kReasonUnknown);
    }
}

bool NetworkManagerDialer::Follows(const QString& devicePath) const {
    return (link_.phase == Phase::kDialing || link_.phase == Phase::kUp) &&
           link_.devices.contains(devicePath);
}

void NetworkManagerDialer::OnActiveStateChanged(const QDBusMessage& message) {
    const QVariantList arguments = message.arguments();
    if (arguments.size() < 2) {
        return;
    }
    const unsigned state = arguments.at(0).toUInt();
    const unsigned reason = arguments.at(1).toUInt();
    if (link_.phase == Phase::kRequested && state == kDeactivated) {
        earlyEnds_.insert(message.path(), reason);
    }
    if (link_.phase == Phase::kIdle || message.path() != link_.activePath) {
        return;
    }
    if (state == kActivating) {
        Progress({ds::kOpenPort});
    } else if (state == kActivated) {
        BringUp();
    } else if (state == kDeactivated) {
        EndLink(reason);
    }
}

void NetworkManagerDialer::OnDeviceStateChanged(const QDBusMessage& message) {
    const QVariantList arguments = message.arguments();
    if (arguments.size() < 3 || !Follows(message.path())) {
        return;
    }
    const unsigned state = arguments.at(0).toUInt();
    const unsigned previous = arguments.at(1).toUInt();
    const unsigned reason = arguments.at(2).toUInt();
    if (state == kDeviceFailed) {
        link_.deviceReason = reason;
    } else if (state <= kDeviceDisconnected && previous >= kDevicePrepare) {
        if (link_.deviceReason == kReasonUnknown) {
            link_.deviceReason = reason;
        }
        EndLink(kReasonUnknown);
    } else if (state == kDeviceActivated) {
        BringUp();
    } else if (link_.phase == Phase::kDialing) {
        link_.authenticating = link_.authenticating || state == kDeviceNeedAuth;
        Progress(ProgressFor(state, link_.authenticating));
    }
}

void NetworkManagerDialer::OnPropertiesChanged(const QDBusMessage& message) {
    const QVariantList arguments = message.arguments();
    if (arguments.size() < 2) {
        return;
    }
    const QString interface = arguments.at(0).toString();
    const auto changed = qdbus_cast<QVariantMap>(arguments.at(1));
    const QString path = message.path();
    if (path == kManagerPath && interface == kManagerInterface) {
        if (changed.contains(QStringLiteral("ActiveConnections"))) {
            OnActiveConnectionsChanged(
                ObjectPaths(changed.value(QStringLiteral("ActiveConnections"))));
        }
        return;
    }
    if (link_.phase != Phase::kDialing && link_.phase != Phase::kUp) {
        return;
    }
    if (interface == kActiveInterface && path == link_.activePath) {
        if (changed.contains(QStringLiteral("Devices"))) {
            link_.devices = ObjectPaths(changed.value(QStringLiteral("Devices")));
        }
        if (changed.contains(QStringLiteral("Ip4Config"))) {
            link_.ip4Config = ObjectPath(changed.value(QStringLiteral("Ip4Config")));
            if (link_.phase == Phase::kUp) {
                ReadLinkDetails();
            }
        }
    } else if (interface == kIp4ConfigInterface && path == link_.ip4Config &&
               changed.contains(QStringLiteral("AddressData"))) {
        link_.address = FirstAddress(changed.value(QStringLiteral("AddressData")));
    } else if (interface == kDeviceInterface && Follows(path) && link_.phase == Phase::kUp &&
               counters_.InterfaceName().empty() &&
               changed.contains(QStringLiteral("IpInterface"))) {
        // The data interface of a modem can be named after the link is up.
        counters_.Start(changed.value(QStringLiteral("IpInterface")).toString().toStdString());
    }
}

// Raises the steps not yet shown, in order. Each event may hang up from its
// handler, so the next one is raised only while the same dial goes on.
void NetworkManagerDialer::Progress(const std::vector<int>& codes) {
    const int serial = linkSerial_;
    for (const int code : codes) {
        const auto step = std::find(std::begin(kProgressSteps), std::end(kProgressSteps), code);
        const int index = static_cast<int>(step - std::begin(kProgressSteps));
        if (serial != linkSerial_ || link_.phase != Phase::kDialing || index <= link_.progress) {
            continue;
        }
        link_.progress = index;
        if (code == ds::kAuthenticate) {
            link_.authenticating = true;
        }
        RaiseStateChanged(code);
    }
}

void NetworkManagerDialer::BringUp() {
    if (link_.phase != Phase::kDialing) {
        return;
    }
    ReadLinkDetails();
    link_.phase = Phase::kUp;
    RaiseStateChanged(ds::kConnected);
}

// The address and the data interface, read when the link comes up: the session
// takes them as soon as it hears of it.
void NetworkManagerDialer::ReadLinkDetails() {
    if (const auto active = Properties(link_.activePath, kActiveInterface)) {
        link_.devices = ObjectPaths(active->value(QStringLiteral("Devices")));
        link_.ip4Config = ObjectPath(active->value(QStringLiteral("Ip4Config")));
    }
    std::string dataInterface;
    for (const QString& device : QStringList(link_.devices)) {
        const auto properties = Properties(device, kDeviceInterface);
        if (!properties) {
            continue;
        }
        if (dataInterface.empty()) {
            dataInterface =
                properties->value(QStringLiteral("IpInterface")).toString().toStdString();
        }
        if (link_.ip4Config.isEmpty() || link_.ip4Config == kNoObject) {
            link_.ip4Config = ObjectPath(properties->value(QStringLiteral("Ip4Config")));
        }
    }
    link_.address.clear();
    if (!link_.ip4Config.isEmpty() && link_.ip4Config != kNoObject) {
        if (const auto config = Properties(link_.ip4Config, kIp4ConfigInterface)) {
            link_.address = FirstAddress(config->value(QStringLiteral("AddressData")));
        }
    }
    if (link_.phase != Phase::kUp || counters_.InterfaceName().empty()) {
        counters_.Start(dataInterface);
    }
}

// The link went down, or the dial ended before it came up: a hang-up ends as
// "disconnected", a failure as a dial error naming NetworkManager's reason.
void NetworkManagerDialer::EndLink(unsigned activeReason) {
    if (link_.phase == Phase::kIdle) {
        return;
    }
    const Link ended = link_;
    link_ = Link{};
    ++linkSerial_;
    counters_.Stop();
    const bool hungUp = ended.phase == Phase::kUp || ended.hangUpAsked ||
                        activeReason == kActiveReasonUserDisconnected ||
                        ended.deviceReason == kDeviceReasonUserRequested;
    if (hungUp) {
        RaiseStateChanged(ds::kDisconnected);
    } else {
        RaiseDialError(FailureMessage(activeReason, ended.deviceReason));
    }
}

// ---- D-Bus ------------------------------------------------------------------

void NetworkManagerDialer::Subscribe() {
    struct Signal {
        const QString& path;
        const QString& interface;
        const char* name;
        const char* slot;
    };
    const QString anyPath;
    const Signal signals_[] = {
        {kSettingsPath, kSettingsInterface, "NewConnection", SLOT(OnProfileAdded(QDBusMessage))},
        {kSettingsPath, kSettingsInterface, "ConnectionRemoved",
         SLOT(OnProfileRemoved(QDBusMessage))},
        {anyPath, kProfileInterface, "Updated", SLOT(OnProfileUpdated(QDBusMessage))},
        {anyPath, kActiveInterface, "StateChanged", SLOT(OnActiveStateChanged(QDBusMessage))},
        {anyPath, kDeviceInterface, "StateChanged", SLOT(OnDeviceStateChanged(QDBusMessage))},
        {anyPath, kPropertiesInterface, "PropertiesChanged",
         SLOT(OnPropertiesChanged(QDBusMessage))},
    };
    for (const Signal& signal : signals_) {
        if (!bus_.connect(kService, signal.path, signal.interface, signal.name, this,
                          signal.slot)) {
            Trace("cannot listen to " + signal.interface.toStdString() + "." + signal.name + ": " +
                  bus_.lastError().message().toStdString());
        }
    }
}

std::optional<QDBusMessage> NetworkManagerDialer::CallNow(const QString& path,
                                                          const QString& interface,
                                                          const QString& method,
                                                          const QVariantList& arguments,
                                                          QString* error) {
    QDBusMessage call = QDBusMessage::createMethodCall(kService, path, interface, method);
    call.setArguments(arguments);
    QDBusMessage reply = bus_.call(call, QDBus::Block, kCallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        if (error != nullptr) {
            *error = reply.errorMessage();
        }
        Trace(method.toStdString() + " " + path.toStdString() + ": " +
              reply.errorMessage().toStdString());
        return std::nullopt;
    }
    return reply;
}

std::optional<QVariantMap> NetworkManagerDialer::Properties(const QString& path,
                                                            const QString& interface) {
    const auto reply = CallNow(path, kPropertiesInterface, "GetAll", {interface});
    if (!reply || reply->arguments().isEmpty()) {
        return std::nullopt;
    }
    return qdbus_cast<QVariantMap>(reply->arguments().constFirst());
}

void NetworkManagerDialer::Notice(const std::string& text) const {
    Trace(text);
    if (notice_) {
        notice_(text);
    }
}

void NetworkManagerDialer::Trace(const std::string& text) const {
    if (trace_) {
        trace_("NetworkManager: " + text);
    }
}

}  // namespace vornik
