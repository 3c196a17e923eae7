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
#include <QtGlobal>
#include <algorithm>
#include <iterator>
#include <memory>
#include <utility>

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

// What was not done when NetworkManager left a call unanswered.
// Marked for the desktop's English catalogue; they stay Chinese here.
constexpr const char* kListNotRead = QT_TRANSLATE_NOOP("core", "连接列表未能读取");
constexpr const char* kListNotUpdated = QT_TRANSLATE_NOOP("core", "连接列表未能更新");
constexpr const char* kStateNotRead = QT_TRANSLATE_NOOP("core", "连接的状态未能读取");
constexpr const char* kAddressNotRead = QT_TRANSLATE_NOOP("core", "连接的地址未能读取");
constexpr const char* kNotHungUp = QT_TRANSLATE_NOOP("core", "连接未能断开");

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

bool Answered(const QDBusMessage& reply) {
    return reply.type() == QDBusMessage::ReplyMessage;
}

// No answer within the call's time: NetworkManager is hung or too busy to reply.
bool TimedOut(const QDBusMessage& reply) {
    return reply.type() == QDBusMessage::ErrorMessage &&
           (reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.NoReply") ||
            reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.Timeout"));
}

std::optional<SettingsMap> SettingsIn(const QDBusMessage& reply) {
    if (!Answered(reply) || reply.arguments().isEmpty()) {
        return std::nullopt;
    }
    return qdbus_cast<SettingsMap>(reply.arguments().constFirst());
}

std::optional<QVariantMap> PropertiesIn(const QDBusMessage& reply) {
    if (!Answered(reply) || reply.arguments().isEmpty()) {
        return std::nullopt;
    }
    return qdbus_cast<QVariantMap>(reply.arguments().constFirst());
}

// A credential as a reply of GetSettings or GetSecrets holds it; empty when it
// does not.
std::string CredentialIn(const QDBusMessage& reply, const QString& setting, const char* key) {
    const auto settings = SettingsIn(reply);
    return settings ? settings->value(setting).value(QLatin1String(key)).toString().toStdString()
                    : std::string{};
}

bool IsObject(const QString& path) {
    return !path.isEmpty() && path != kNoObject;
}

std::string Quoted(const std::string& name) {
    return "“" + name + "”";
}

}  // namespace

bool NetworkManagerDialer::IsAvailable(const QDBusConnection& bus) {
    if (!bus.isConnected()) {
        return false;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"));
    call << kService;
    const QDBusMessage reply = bus.call(call, QDBus::Block, kCallTimeoutMs);
    return Answered(reply) && reply.arguments().value(0).toBool();
}

NetworkManagerDialer::NetworkManagerDialer(Options options, QObject* parent)
    : QObject(parent),
      bus_(std::move(options.bus)),
      callTimeoutMs_(options.callTimeoutMs),
      notice_(std::move(options.notice)),
      trace_(std::move(options.trace)) {
    qDBusRegisterMetaType<SettingsMap>();
    qDBusRegisterMetaType<QList<QVariantMap>>();
    // Listening first, so that nothing changes unseen between reading and listening.
    Subscribe();
    LoadPhoneBook();
    ReadManager();
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
    return userName_.value_or(std::string{});
}
void NetworkManagerDialer::SetEntryUserName(const std::string& name) {
    userName_ = name;
}
std::string NetworkManagerDialer::EntryPassword() {
    return password_.value_or(std::string{});
}
void NetworkManagerDialer::SetEntryPassword(const std::string& password) {
    password_ = password;
}

int NetworkManagerDialer::EntryCount() {
    return listState_ == ListState::kLoaded ? static_cast<int>(profiles_.size()) : 0;
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
    ++loadSerial_;
    readAfterSave_ = false;
    userName_.reset();
    password_.reset();
    if (listState_ != ListState::kLoaded) {
        pendingEntry_ = name;
        selectedPath_.clear();
        if (listState_ == ListState::kFailed) {
            LoadPhoneBook();
        }
        return;
    }
    const Profile* profile = FindProfileNamed(name);
    selectedPath_ = profile != nullptr ? profile->path : QString{};
    ReadCredentials();
}

// The selection's credentials, raised with entryLoaded once they are in. A profile
// that a save is about to replace is read after that save, so that what is read
// is what was saved. Left unanswered, they stay unknown and no entryLoaded comes:
// empty boxes would be taken for credentials and stored back.
void NetworkManagerDialer::ReadCredentials() {
    const Profile* profile = FindProfile(selectedPath_);
    if (profile == nullptr || profile->secretSetting.isEmpty()) {
        userName_ = std::string{};
        password_ = std::string{};
        RaiseEntryLoaded();
        return;
    }
    if (saves_.contains(profile->path)) {
        readAfterSave_ = true;
        return;
    }
    const int serial = loadSerial_;
    const QString path = profile->path;
    const QString setting = profile->secretSetting;
    const std::string name = profile->name;
    Ask({{path, kProfileInterface, "GetSettings"},
         {path, kProfileInterface, "GetSecrets", {setting}}},
        [this, serial, setting, name](const Replies& replies) {
            if (serial != loadSerial_) {
                return;  // a later LoadEntry asked for other credentials
            }
            if (TimedOut(replies[0]) || TimedOut(replies[1])) {
                Unanswered("连接" + Quoted(name) + "的用户名和密码未能读取");
                return;
            }
            userName_ = CredentialIn(replies[0], setting, "username");
            password_ = CredentialIn(replies[1], setting, "password");
            RaiseEntryLoaded();
        });
}

// NetworkManager replaces a profile as a whole on Update, and leaves its secrets
// out of GetSettings: the profile is read with its secrets so that it goes back
// exactly as it was, but for the two values. Saves of one profile go one after
// another, so that none writes back what it read before the previous one landed.
void NetworkManagerDialer::SaveEntry(const std::string& name) {
    const Profile* profile = FindProfileNamed(name);
    if (profile == nullptr || profile->secretSetting.isEmpty()) {
        Notice("没有名为" + Quoted(name) + "、可保存用户名和密码的拨号连接，用户名和密码未保存。");
        return;
    }
    std::deque<Save>& queue = saves_[profile->path];
    queue.push_back(Save{name, profile->secretSetting, userName_, password_});
    if (queue.size() == 1) {
        WriteCredentials(profile->path);
    }
}

void NetworkManagerDialer::WriteCredentials(const QString& path) {
    const Save save = saves_.at(path).front();
    Ask({{path, kProfileInterface, "GetSettings"},
         {path, kProfileInterface, "GetSecrets", {save.setting}}},
        [this, path, save](const Replies& replies) {
            const std::string notSaved = "连接" + Quoted(save.name) + "的用户名和密码未保存";
            if (TimedOut(replies[0]) || TimedOut(replies[1])) {
                Unanswered(notSaved);
                FinishSave(path);
                return;
            }
            auto settings = SettingsIn(replies[0]);
            const auto secrets = SettingsIn(replies[1]);
            if (!settings || !secrets) {
                Notice("无法读取连接" + Quoted(save.name) + "的设置，用户名和密码未保存。");
                FinishSave(path);
                return;
            }
            QVariantMap& credentials = (*settings)[save.setting];
            const QVariantMap stored = secrets->value(save.setting);
            for (auto secret = stored.cbegin(); secret != stored.cend(); ++secret) {
                credentials.insert(secret.key(), secret.value());
            }
            bool changed = false;
            for (const auto& [key, value] :
                 {std::pair{"username", save.userName}, {"password", save.password}}) {
                const QString text = QString::fromStdString(value.value_or(std::string{}));
                if (value && credentials.value(QLatin1String(key)).toString() != text) {
                    credentials.insert(QLatin1String(key), text);
                    changed = true;
                }
            }
            if (!changed) {
                FinishSave(path);  // nothing to write; the profile stays untouched
                return;
            }
            Ask({{path, kProfileInterface, "Update", {QVariant::fromValue(*settings)}}},
                [this, path, save, notSaved](const Replies& written) {
                    const QDBusMessage& reply = written.front();
                    if (TimedOut(reply)) {
                        Unanswered(notSaved);
                    } else if (!Answered(reply)) {
                        Notice("无法保存连接" + Quoted(save.name) + "的用户名和密码：" +
                               reply.errorMessage().toStdString());
                    }
                    FinishSave(path);
                });
        });
}

void NetworkManagerDialer::FinishSave(const QString& path) {
    const auto queue = saves_.find(path);
    queue->second.pop_front();
    if (!queue->second.empty()) {
        WriteCredentials(path);
        return;
    }
    saves_.erase(queue);
    if (readAfterSave_ && path == selectedPath_) {
        readAfterSave_ = false;
        ReadCredentials();
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
        Notice(QT_TRANSLATE_NOOP("core", "无法启动 nm-connection-editor。"));
    }
}

// The list and each profile in it. Every profile is taken as its answer arrives,
// in the order of NetworkManager's messages, so that an answer read before a
// profile changed never overwrites one read after. An unanswered read leaves the
// list to be read again once NetworkManager is heard from.
void NetworkManagerDialer::LoadPhoneBook() {
    listState_ = ListState::kLoading;
    const int serial = ++listSerial_;
    Ask({{kSettingsPath, kSettingsInterface, "ListConnections"}},
        [this, serial](const Replies& replies) {
            if (serial != listSerial_) {
                return;
            }
            const QDBusMessage& reply = replies.front();
            if (TimedOut(reply)) {
                listState_ = ListState::kFailed;
                Unanswered(kListNotRead);
                return;
            }
            const QStringList paths = Answered(reply) && !reply.arguments().isEmpty()
                                          ? ObjectPaths(reply.arguments().constFirst())
                                          : QStringList{};
            // Profiles that went while the list could not be read.
            std::erase_if(profiles_, [&](const Profile& p) { return !paths.contains(p.path); });
            listReadsLeft_ = static_cast<int>(paths.size());
            listIncomplete_ = false;
            if (paths.isEmpty()) {
                PhoneBookLoaded();
                return;
            }
            for (const QString& path : paths) {
                Ask({{path, kProfileInterface, "GetSettings"}},
                    [this, serial, path](const Replies& settings) {
                        if (serial != listSerial_) {
                            return;
                        }
                        if (TimedOut(settings.front())) {
                            listIncomplete_ = true;
                        } else {
                            OnProfileRead(path, settings.front());
                        }
                        if (--listReadsLeft_ > 0) {
                            return;
                        }
                        if (listIncomplete_) {
                            listState_ = ListState::kFailed;
                            Unanswered(kListNotRead);
                            return;
                        }
                        PhoneBookLoaded();
                    });
            }
        });
}

// An entry asked for while the list was on its way is selected now, before the
// session hears of the new list, and its credentials follow.
void NetworkManagerDialer::PhoneBookLoaded() {
    listState_ = ListState::kLoaded;
    if (pendingEntry_) {
        const Profile* profile = FindProfileNamed(*pendingEntry_);
        pendingEntry_.reset();
        selectedPath_ = profile != nullptr ? profile->path : QString{};
    }
    const int serial = loadSerial_;
    RaisePhoneBookChanged();
    if (serial == loadSerial_ && !selectedPath_.isEmpty()) {
        ReadCredentials();
    }
    AdoptActiveLink();
}

// A profile as GetSettings describes it: it joins, leaves or is renamed in the
// list. Until the list is first complete the session is not told.
void NetworkManagerDialer::OnProfileRead(const QString& path, const QDBusMessage& reply) {
    const auto settings = SettingsIn(reply);
    if (!settings || !IsDialUp(*settings)) {
        ForgetProfile(path);
        return;
    }
    const QVariantMap connection = settings->value(QStringLiteral("connection"));
    Profile profile{path, connection.value(QStringLiteral("id")).toString().toStdString(),
                    connection.value(QStringLiteral("uuid")).toString(),
                    connection.value(QStringLiteral("type")).toString(),
                    CredentialSetting(*settings)};
    const auto known = std::find_if(profiles_.begin(), profiles_.end(),
                                    [&](const Profile& p) { return p.path == path; });
    const bool listChanged = known == profiles_.end() || known->name != profile.name;
    if (known != profiles_.end()) {
        profiles_.erase(known);
    }
    const auto place =
        std::upper_bound(profiles_.begin(), profiles_.end(), profile.name,
                         [](const std::string& name, const Profile& p) { return name < p.name; });
    profiles_.insert(place, std::move(profile));
    if (listChanged && listState_ == ListState::kLoaded) {
        RaisePhoneBookChanged();
    }
}

void NetworkManagerDialer::RefreshProfile(const QString& path) {
    Ask({{path, kProfileInterface, "GetSettings"}}, [this, path](const Replies& replies) {
        if (TimedOut(replies.front())) {
            Unanswered(kListNotUpdated);
        } else {
            OnProfileRead(path, replies.front());
        }
    });
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
        ++loadSerial_;
        readAfterSave_ = false;
        userName_.reset();
        password_.reset();
    }
    if (listState_ == ListState::kLoaded) {
        RaisePhoneBookChanged();
    }
}

const NetworkManagerDialer::Profile* NetworkManagerDialer::FindProfile(const QString& path) const {
    const auto found = std::find_if(profiles_.begin(), profiles_.end(),
                                    [&](const Profile& p) { return p.path == path; });
    return found != profiles_.end() && !path.isEmpty() ? &*found : nullptr;
}

// Only in a complete list: a name asked for before is not yet known to be missing.
const NetworkManagerDialer::Profile* NetworkManagerDialer::FindProfileNamed(
    const std::string& name) const {
    if (listState_ != ListState::kLoaded) {
        return nullptr;
    }
    const auto found = std::find_if(profiles_.begin(), profiles_.end(),
                                    [&](const Profile& p) { return p.name == name; });
    return found != profiles_.end() ? &*found : nullptr;
}

void NetworkManagerDialer::OnProfileAdded(const QDBusMessage& message) {
    Heard();
    if (!message.arguments().isEmpty()) {
        RefreshProfile(ObjectPath(message.arguments().constFirst()));
    }
}

void NetworkManagerDialer::OnProfileRemoved(const QDBusMessage& message) {
    Heard();
    if (!message.arguments().isEmpty()) {
        ForgetProfile(ObjectPath(message.arguments().constFirst()));
    }
}

void NetworkManagerDialer::OnProfileUpdated(const QDBusMessage& message) {
    Heard();
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
            this, [this] { RaiseDialError(QT_TRANSLATE_NOOP("core", "没有选择要拨号的连接。")); },
            Qt::QueuedConnection);
        return;
    }
    link_ = Link{};
    link_.phase = Phase::kRequested;
    link_.profile = *profile;
    const int serial = ++linkSerial_;
    earlyEnds_.clear();
    earlyDeviceChanges_.clear();
    const QVariant none = QVariant::fromValue(QDBusObjectPath(kNoObject));
    Ask({{kManagerPath,
          kManagerInterface,
          "ActivateConnection",
          {QVariant::fromValue(QDBusObjectPath(profile->path)), none, none}}},
        [this, serial](const Replies& replies) { OnActivationReply(serial, replies.front()); });
}

void NetworkManagerDialer::OnActivationReply(int serial, const QDBusMessage& reply) {
    if (serial != linkSerial_ || link_.phase != Phase::kRequested) {
        return;
    }
    if (!Answered(reply) || reply.arguments().isEmpty()) {
        const bool hungUp = link_.hangUpAsked;
        link_ = Link{};
        ++linkSerial_;
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
    const int serial = linkSerial_;
    Ask({{kManagerPath,
          kManagerInterface,
          "DeactivateConnection",
          {QVariant::fromValue(QDBusObjectPath(link_.activePath))}}},
        [this, serial](const Replies& replies) {
            const QDBusMessage& reply = replies.front();
            if (serial != linkSerial_ || Answered(reply)) {
                return;
            }
            // Gone already, or still up: then say so and let the user try again.
            if (!TimedOut(reply) && activeConnections_ &&
                !activeConnections_->contains(link_.activePath)) {
                EndLink(kActiveReasonUserDisconnected);
                return;
            }
            link_.hangUpAsked = false;
            if (TimedOut(reply)) {
                Unanswered(kNotHungUp);
            } else {
                Notice("无法断开连接：" + reply.errorMessage().toStdString());
            }
        });
}

// Catches up with what happened to the active connection before it was known.
// One that cannot be read is gone; one that is not answered for tells its news by
// its signals once NetworkManager answers again, though not its devices'.
void NetworkManagerDialer::FollowActiveConnection() {
    const QString path = link_.activePath;
    if (earlyEnds_.contains(path)) {
        EndLink(earlyEnds_.value(path));
        return;
    }
    const int serial = linkSerial_;
    Ask({{path, kPropertiesInterface, "GetAll", {kActiveInterface}}},
        [this, serial, path](const Replies& replies) {
            if (serial != linkSerial_ || link_.phase != Phase::kDialing) {
                return;
            }
            const QDBusMessage& reply = replies.front();
            if (TimedOut(reply)) {
                Unanswered(kStateNotRead);
                link_.caughtUp = true;
                earlyDeviceChanges_.clear();
                if (earlyEnds_.contains(path)) {
                    EndLink(earlyEnds_.value(path));
                }
                return;
            }
            const auto active = PropertiesIn(reply);
            if (!active) {
                EndLink(earlyEnds_.value(path, kReasonUnknown));
                return;
            }
            CatchUp(*active);
        });
}

// The devices' changes that came before they were known are taken in their order
// first: a failing device says why the dial failed.
void NetworkManagerDialer::CatchUp(const QVariantMap& active) {
    link_.caughtUp = true;
    link_.devices = ObjectPaths(active.value(QStringLiteral("Devices")));
    link_.ip4Config = ObjectPath(active.value(QStringLiteral("Ip4Config")));
    const int serial = linkSerial_;
    for (const DeviceChange& change : std::exchange(earlyDeviceChanges_, {})) {
        if (serial == linkSerial_ && Follows(change.path)) {
            OnDeviceChange(change);
        }
    }
    if (serial != linkSerial_) {
        return;
    }
    if (earlyEnds_.contains(link_.activePath)) {
        EndLink(earlyEnds_.value(link_.activePath));
        return;
    }
    // Ended after the reply was sent: its StateChanged, with the reason, is on its way.
    const unsigned state = active.value(QStringLiteral("State")).toUInt();
    if (state == kDeactivated) {
        return;
    }
    if (state == kActivated) {
        BringUp();
        return;
    }
    ReadProperties(link_.devices, kDeviceInterface, kStateNotRead,
                   [this, serial](const PropertyMaps& devices) {
                       for (const auto& device : devices) {
                           if (!device || serial != linkSerial_ || link_.phase != Phase::kDialing) {
                               continue;
                           }
                           const unsigned deviceState =
                               device->value(QStringLiteral("State")).toUInt();
                           if (deviceState == kDeviceNeedAuth) {
                               link_.authenticating = true;
                           }
                           Progress(ProgressFor(deviceState, link_.authenticating));
                       }
                   });
}

// A dial-up link that NetworkManager brought up or is bringing up by itself (at
// start-up, by autoconnect, or from another program) is followed like our own.
// It needs the profiles to know a dial-up one, and the manager's active
// connections; whichever comes last starts it.
void NetworkManagerDialer::AdoptActiveLink() {
    if (link_.phase != Phase::kIdle || listState_ != ListState::kLoaded || !activeConnections_) {
        return;
    }
    const int serial = ++adoptSerial_;
    const QStringList paths = *activeConnections_;
    ReadProperties(
        paths, kActiveInterface, kStateNotRead, [this, serial, paths](const PropertyMaps& actives) {
            if (serial != adoptSerial_ || link_.phase != Phase::kIdle) {
                return;
            }
            for (std::size_t i = 0; i < actives.size(); ++i) {
                if (!actives[i]) {
                    continue;
                }
                const unsigned state = actives[i]->value(QStringLiteral("State")).toUInt();
                const Profile* profile =
                    FindProfile(ObjectPath(actives[i]->value(QStringLiteral("Connection"))));
                if (profile == nullptr || (state != kActivating && state != kActivated)) {
                    continue;
                }
                link_ = Link{};
                link_.phase = Phase::kDialing;
                link_.profile = *profile;
                link_.activePath = paths[static_cast<qsizetype>(i)];
                ++linkSerial_;
                earlyEnds_.clear();
                earlyDeviceChanges_.clear();
                CatchUp(*actives[i]);
                return;
            }
        });
}

void NetworkManagerDialer::OnActiveConnectionsChanged(const QStringList& active) {
    activeConnections_ = active;
    if (link_.phase == Phase::kIdle) {
        AdoptActiveLink();
    } else if (link_.phase != Phase::kRequested && !active.contains(link_.activePath)) {
        EndLink(kReasonUnknown);
    }
}

bool NetworkManagerDialer::Follows(const QString& devicePath) const {
    return (link_.phase == Phase::kDialing || link_.phase == Phase::kUp) &&
           link_.devices.contains(devicePath);
}

// Between asking for a dial and learning its devices, what happens to them is
// kept for CatchUp.
bool NetworkManagerDialer::BeforeCatchingUp() const {
    return link_.phase == Phase::kRequested || (link_.phase == Phase::kDialing && !link_.caughtUp);
}

void NetworkManagerDialer::OnActiveStateChanged(const QDBusMessage& message) {
    Heard();
    const QVariantList arguments = message.arguments();
    if (arguments.size() < 2) {
        return;
    }
    const unsigned state = arguments.at(0).toUInt();
    const unsigned reason = arguments.at(1).toUInt();
    const bool early = BeforeCatchingUp();
    if (early && state == kDeactivated) {
        earlyEnds_.insert(message.path(), reason);
    }
    if (link_.phase == Phase::kIdle || early || message.path() != link_.activePath) {
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
    Heard();
    const QVariantList arguments = message.arguments();
    if (arguments.size() < 3) {
        return;
    }
    const DeviceChange change{message.path(), arguments.at(0).toUInt(), arguments.at(1).toUInt(),
                              arguments.at(2).toUInt()};
    if (BeforeCatchingUp()) {
        earlyDeviceChanges_.push_back(change);
    } else if (Follows(change.path)) {
        OnDeviceChange(change);
    }
}

void NetworkManagerDialer::OnDeviceChange(const DeviceChange& change) {
    const auto& [path, state, previous, reason] = change;
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
    Heard();
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
                ReadDeviceDetails([] {});
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

// The session takes the address as soon as it hears that the link is up, so the
// link counts as up only once its details are read (or went unanswered).
void NetworkManagerDialer::BringUp() {
    if (link_.phase != Phase::kDialing || link_.bringingUp) {
        return;
    }
    link_.bringingUp = true;
    const int serial = linkSerial_;
    ReadLinkDetails([this, serial] {
        if (serial != linkSerial_ || link_.phase != Phase::kDialing) {
            return;
        }
        link_.phase = Phase::kUp;
        RaiseStateChanged(ds::kConnected);
    });
}

// The devices and IP configuration of the active connection, then those details.
void NetworkManagerDialer::ReadLinkDetails(std::function<void()> done) {
    const int serial = linkSerial_;
    ReadProperties(
        {link_.activePath}, kActiveInterface, kAddressNotRead,
        [this, serial, done = std::move(done)](const PropertyMaps& active) mutable {
            if (serial != linkSerial_) {
                return;
            }
            if (active.front()) {
                link_.devices = ObjectPaths(active.front()->value(QStringLiteral("Devices")));
                link_.ip4Config = ObjectPath(active.front()->value(QStringLiteral("Ip4Config")));
            }
            ReadDeviceDetails(std::move(done));
        });
}

// The data interface the counters follow, and the address; a device's IP
// configuration stands in where the active connection has none yet.
void NetworkManagerDialer::ReadDeviceDetails(std::function<void()> done) {
    const int serial = linkSerial_;
    ReadProperties(
        link_.devices, kDeviceInterface, kAddressNotRead,
        [this, serial, done = std::move(done)](const PropertyMaps& devices) mutable {
            if (serial != linkSerial_) {
                return;
            }
            std::string dataInterface;
            for (const auto& device : devices) {
                if (!device) {
                    continue;
                }
                if (dataInterface.empty()) {
                    dataInterface =
                        device->value(QStringLiteral("IpInterface")).toString().toStdString();
                }
                if (!IsObject(link_.ip4Config)) {
                    link_.ip4Config = ObjectPath(device->value(QStringLiteral("Ip4Config")));
                }
            }
            if (link_.phase != Phase::kUp || counters_.InterfaceName().empty()) {
                counters_.Start(dataInterface);
            }
            if (!IsObject(link_.ip4Config)) {
                link_.address.clear();
                done();
                return;
            }
            ReadProperties({link_.ip4Config}, kIp4ConfigInterface, kAddressNotRead,
                           [this, serial, done = std::move(done)](const PropertyMaps& config) {
                               if (serial != linkSerial_) {
                                   return;
                               }
                               link_.address = config.front() ? FirstAddress(config.front()->value(
                                                                    QStringLiteral("AddressData")))
                                                              : std::string{};
                               done();
                           });
        });
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

// The active connections, for adopting a link that is up already; their changes
// come as signals. Unanswered, they are asked again once NetworkManager is heard
// from.
void NetworkManagerDialer::ReadManager() {
    managerUnanswered_ = false;
    Ask({{kManagerPath, kPropertiesInterface, "GetAll", {kManagerInterface}}},
        [this](const Replies& replies) {
            const QDBusMessage& reply = replies.front();
            if (TimedOut(reply)) {
                managerUnanswered_ = true;
                Unanswered(kStateNotRead);
                return;
            }
            if (const auto manager = PropertiesIn(reply)) {
                OnActiveConnectionsChanged(
                    ObjectPaths(manager->value(QStringLiteral("ActiveConnections"))));
            }
        });
}

void NetworkManagerDialer::Ask(const std::vector<Call>& calls,
                               std::function<void(const Replies&)> answered) {
    if (calls.empty()) {
        QMetaObject::invokeMethod(
            this, [answered = std::move(answered)] { answered({}); }, Qt::QueuedConnection);
        return;
    }
    struct Gathering {
        Replies replies;
        std::size_t missing;
        std::function<void(const Replies&)> answered;
    };
    auto gathering = std::make_shared<Gathering>(
        Gathering{Replies(calls.size()), calls.size(), std::move(answered)});
    for (std::size_t i = 0; i < calls.size(); ++i) {
        const Call& call = calls[i];
        QDBusMessage message =
            QDBusMessage::createMethodCall(kService, call.path, call.interface, call.method);
        message.setArguments(call.arguments);
        auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(message, callTimeoutMs_), this);
        const std::string what = call.method.toStdString() + " " + call.path.toStdString();
        connect(watcher, &QDBusPendingCallWatcher::finished, this,
                [this, gathering, i, what](QDBusPendingCallWatcher* finished) {
                    finished->deleteLater();
                    const QDBusMessage reply = finished->reply();
                    if (Answered(reply)) {
                        Heard();
                    } else {
                        Trace(what + ": " + reply.errorName().toStdString() + ": " +
                              reply.errorMessage().toStdString());
                    }
                    gathering->replies[i] = reply;
                    if (--gathering->missing == 0) {
                        gathering->answered(gathering->replies);
                    }
                });
    }
}

void NetworkManagerDialer::ReadProperties(const QStringList& paths, const QString& interface,
                                          const char* what,
                                          std::function<void(const PropertyMaps&)> read) {
    std::vector<Call> calls;
    for (const QString& path : paths) {
        calls.push_back({path, kPropertiesInterface, "GetAll", {interface}});
    }
    Ask(calls, [this, what, read = std::move(read)](const Replies& replies) {
        PropertyMaps maps;
        bool unanswered = false;
        for (const QDBusMessage& reply : replies) {
            unanswered = unanswered || TimedOut(reply);
            maps.push_back(PropertiesIn(reply));
        }
        if (unanswered) {
            Unanswered(what);
        }
        read(maps);
    });
}

void NetworkManagerDialer::Heard() {
    silent_ = false;
    if (listState_ == ListState::kFailed) {
        LoadPhoneBook();
    }
    if (managerUnanswered_) {
        ReadManager();
    }
}

void NetworkManagerDialer::Unanswered(const std::string& what) {
    const std::string text = "NetworkManager 没有响应，" + what + "。";
    if (silent_) {
        Trace(text);
        return;
    }
    silent_ = true;
    Notice(text);
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
