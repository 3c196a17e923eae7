// The dialer on NetworkManager: the phone book is the desktop's dial-up connection
// profiles (PPPoE, mobile broadband, Bluetooth DUN), reached over D-Bus. What the
// session polls every second answers from state that NetworkManager's signals keep
// current; only the calls that must return a result at once (reading a profile,
// loading and saving credentials) wait for a reply, never longer than
// kCallTimeoutMs. Dialling and hanging up never wait.
#pragma once

#include <QDBusConnection>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "dialer/dialer.h"
#include "net/interface_counters.h"

class QDBusMessage;

namespace vornik {

class NetworkManagerDialer : public QObject, public vornik::Dialer {
    Q_OBJECT

  public:
    using Message = std::function<void(const std::string&)>;

    static constexpr int kCallTimeoutMs = 5000;

    // Whether NetworkManager answers on `bus`; decides which back-end to use.
    static bool IsAvailable(const QDBusConnection& bus = QDBusConnection::systemBus());

    // What the user is told when an activation ends before the link came up: the
    // active connection's reason, or the device's where that one says more.
    static std::string FailureMessage(unsigned activeReason, unsigned deviceReason);
    // ... and when NetworkManager refuses to start one (a D-Bus error reply).
    static std::string RefusalMessage(const QString& errorName, const QString& errorText);

    explicit NetworkManagerDialer(QDBusConnection bus = QDBusConnection::systemBus(),
                                  QObject* parent = nullptr);

    // Messages for the user that are not dial errors (a missing editor, a profile
    // that could not be saved); failures the user is spared go to the trace.
    void SetNotice(Message notice) { notice_ = std::move(notice); }
    void SetTrace(Message trace) { trace_ = std::move(trace); }

    std::string BackendName() const override { return "networkmanager"; }
    bool IsSimulated() const override { return false; }

    bool IsConnected() override;
    std::string EntryName() override;
    std::string EntryUserName() override;
    void SetEntryUserName(const std::string& name) override;
    std::string EntryPassword() override;
    void SetEntryPassword(const std::string& password) override;
    // NetworkManager keeps its profiles itself: there is no phone-book file.
    std::string PhoneBook() override { return {}; }
    void SetPhoneBook(const std::string&) override {}
    std::string DefaultPhoneBook() override { return {}; }
    int EntryCount() override;
    std::string EntryNameAt(int index) override;
    std::string DeviceType() override;
    std::string IPAddress() override;
    std::int64_t BytesReceived() override;
    std::int64_t BytesSent() override;

    void Connect() override;
    void HangUp() override;
    void LoadEntry(const std::string& name) override;
    void SaveEntry(const std::string& name) override;
    // Starts nm-connection-editor and returns 1 at once: the new profile reaches
    // the list by itself, through the phone-book-changed callback.
    int CreateEntry() override;
    void EditEntry(const std::string& name) override;

  private slots:
    void OnProfileAdded(const QDBusMessage& message);
    void OnProfileRemoved(const QDBusMessage& message);
    void OnProfileUpdated(const QDBusMessage& message);
    void OnActiveStateChanged(const QDBusMessage& message);
    void OnDeviceStateChanged(const QDBusMessage& message);
    void OnPropertiesChanged(const QDBusMessage& message);

  private:
    struct Profile {
        QString path;
        std::string name;
        QString uuid;
        QString type;           // connection.type
        QString secretSetting;  // "pppoe", "gsm" or "cdma": where the credentials live
    };
    enum class Phase { kIdle, kRequested, kDialing, kUp };
    // The dial in progress or the link that is up.
    struct Link {
        Phase phase = Phase::kIdle;
        Profile profile;
        QString activePath;
        QStringList devices;
        QString ip4Config;
        std::string address;
        int progress = -1;  // the furthest dial-progress step raised
        bool authenticating = false;
        bool hangUpAsked = false;
        unsigned deviceReason = 0;  // why a device failed, when one did
    };

    void Subscribe();
    void LoadPhoneBook();
    std::optional<Profile> ReadProfile(const QString& path);
    void RefreshProfile(const QString& path);
    void ForgetProfile(const QString& path);
    const Profile* FindProfile(const QString& path) const;
    const Profile* FindProfileNamed(const std::string& name) const;
    void ReadCredentials(const Profile& profile);
    void StartEditor(const QStringList& arguments, const char* purpose);

    void OnActivationReply(int serial, const QDBusMessage& reply);
    void Deactivate();
    void FollowActiveConnection();
    void OnActiveConnectionsChanged(const QStringList& active);
    void AdoptActiveLink(const QStringList& active);
    bool Follows(const QString& devicePath) const;
    void Progress(const std::vector<int>& codes);
    void BringUp();
    void ReadLinkDetails();
    void EndLink(unsigned activeReason);

    void Notice(const std::string& text) const;
    void Trace(const std::string& text) const;
    // The reply, or nothing (traced, and the error's text in `error`) when the call
    // failed or took longer than kCallTimeoutMs.
    std::optional<QDBusMessage> CallNow(const QString& path, const QString& interface,
                                        const QString& method, const QVariantList& arguments,
                                        QString* error = nullptr);
    std::optional<QVariantMap> Properties(const QString& path, const QString& interface);

    QDBusConnection bus_;
    Message notice_;
    Message trace_;

    std::vector<Profile> profiles_;  // the dial-up profiles, by name
    QString selectedPath_;
    std::string userName_;
    std::string password_;

    Link link_;
    int linkSerial_ = 0;  // tells the replies of an earlier dial from this one's
    // Active connections that ended before their ActivateConnection reply came.
    QHash<QString, unsigned> earlyEnds_;
    vornik::InterfaceCounters counters_;
};

}  // namespace vornik
