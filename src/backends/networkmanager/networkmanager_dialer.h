// The dialer on NetworkManager: the phone book is the desktop's dial-up connection
// profiles (PPPoE, mobile broadband, Bluetooth DUN), reached over D-Bus. No method
// the session calls waits for NetworkManager: what it asks answers from state that
// replies and NetworkManager's signals keep current, and every call is sent
// without waiting, its answer (or its failure after callTimeoutMs) handled from the
// event loop. A NetworkManager that stops answering leaves the window responsive:
// the user hears once what was not done, the trace of every call that failed.
#pragma once

#include <QDBusConnection>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
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

    struct Options {
        QDBusConnection bus = QDBusConnection::systemBus();
        // How long a call may go unanswered before NetworkManager counts as silent.
        int callTimeoutMs = kCallTimeoutMs;
        // Messages for the user that are not dial errors (a missing editor, a profile
        // that could not be saved, a NetworkManager that does not answer).
        Message notice = {};
        // Failures the user is spared, for the error log.
        Message trace = {};
    };

    // Whether NetworkManager is on `bus`; decides which back-end to use. Asks the
    // bus daemon, which answers even when NetworkManager itself is hung.
    static bool IsAvailable(const QDBusConnection& bus = QDBusConnection::systemBus());

    // What the user is told when an activation ends before the link came up: the
    // active connection's reason, or the device's where that one says more.
    static std::string FailureMessage(unsigned activeReason, unsigned deviceReason);
    // ... and when NetworkManager refuses to start one (a D-Bus error reply).
    static std::string RefusalMessage(const QString& errorName, const QString& errorText);

    explicit NetworkManagerDialer(Options options, QObject* parent = nullptr);

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
    // 0 until the profile list has first arrived.
    int EntryCount() override;
    bool PhoneBookLoading() override { return listState_ == ListState::kLoading; }
    std::string EntryNameAt(int index) override;
    std::string DeviceType() override;
    std::string IPAddress() override;
    std::int64_t BytesReceived() override;
    std::int64_t BytesSent() override;

    void Connect() override;
    void HangUp() override;
    // Before the profile list has arrived the name waits, and is selected when it
    // comes (EntryName stays empty until then).
    void LoadEntry(const std::string& name) override;
    void SaveEntry(const std::string& name) override;
    // Starts nm-connection-editor and returns 1 at once: the new profile reaches
    // the list by itself, through the phone-book-changed event.
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
    enum class ListState { kLoading, kFailed, kLoaded };
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
        bool caughtUp = false;      // its devices are known
        bool bringingUp = false;    // activated; its address is being read
        unsigned deviceReason = 0;  // why a device failed, when one did
    };
    // Credentials on their way into a profile; unset ones keep what it holds.
    struct Save {
        std::string name;
        QString setting;
        std::optional<std::string> userName;
        std::optional<std::string> password;
    };
    struct DeviceChange {
        QString path;
        unsigned state = 0;
        unsigned previous = 0;
        unsigned reason = 0;
    };
    struct Call {
        QString path;
        QString interface;
        QString method;
        QVariantList arguments = {};
    };
    using Replies = std::vector<QDBusMessage>;
    using PropertyMaps = std::vector<std::optional<QVariantMap>>;

    void Subscribe();
    void ReadManager();
    void LoadPhoneBook();
    void OnProfileRead(const QString& path, const QDBusMessage& reply);
    void PhoneBookLoaded();
    void RefreshProfile(const QString& path);
    void ForgetProfile(const QString& path);
    const Profile* FindProfile(const QString& path) const;
    const Profile* FindProfileNamed(const std::string& name) const;
    void ReadCredentials();
    void WriteCredentials(const QString& path);
    void FinishSave(const QString& path);
    void StartEditor(const QStringList& arguments, const char* purpose);

    void OnActivationReply(int serial, const QDBusMessage& reply);
    void Deactivate();
    void FollowActiveConnection();
    void CatchUp(const QVariantMap& active);
    void OnActiveConnectionsChanged(const QStringList& active);
    void AdoptActiveLink();
    bool Follows(const QString& devicePath) const;
    bool BeforeCatchingUp() const;
    void OnDeviceChange(const DeviceChange& change);
    void Progress(const std::vector<int>& codes);
    void BringUp();
    void ReadLinkDetails(std::function<void()> done);
    void ReadDeviceDetails(std::function<void()> done);
    void EndLink(unsigned activeReason);

    void Notice(const std::string& text) const;
    void Trace(const std::string& text) const;
    // NetworkManager said something: it answers again.
    void Heard();
    // A call went unanswered, so `what` was not done. The user hears of it once
    // until NetworkManager answers again; the trace every time.
    void Unanswered(const std::string& what);
    // Sends the calls at once; `answered` runs from the event loop when every one
    // has its reply or its error, with them in the order of the calls. Failures are
    // traced.
    void Ask(const std::vector<Call>& calls, std::function<void(const Replies&)> answered);
    // The properties of `interface` on each object; nothing for those that could not
    // be read. A call left unanswered means that `what` was not done.
    void ReadProperties(const QStringList& paths, const QString& interface, const char* what,
                        std::function<void(const PropertyMaps&)> read);

    QDBusConnection bus_;
    int callTimeoutMs_;
    Message notice_;
    Message trace_;
    bool silent_ = false;  // a call went unanswered and nothing was heard since

    ListState listState_ = ListState::kLoading;
    int listSerial_ = 0;
    int listReadsLeft_ = 0;                    // the profiles of the list still being read
    bool listIncomplete_ = false;              // one of them went unanswered
    std::vector<Profile> profiles_;            // the dial-up profiles, by name
    std::optional<std::string> pendingEntry_;  // asked for before the list came
    QString selectedPath_;
    int loadSerial_ = 0;          // tells the credentials of an earlier LoadEntry from this one's
    bool readAfterSave_ = false;  // the selection's credentials wait for its saves
    std::optional<std::string> userName_;  // unset: not known yet
    std::optional<std::string> password_;
    // Saves in the order asked for, per profile; the first one is being written.
    std::map<QString, std::deque<Save>> saves_;

    std::optional<QStringList> activeConnections_;  // the manager's, once read
    bool managerUnanswered_ = false;                // the active connections are to be asked again
    int adoptSerial_ = 0;
    Link link_;
    int linkSerial_ = 0;  // tells the replies of an earlier dial from this one's
    // Active connections that ended, and device changes that came, before the
    // dial's devices were known.
    QHash<QString, unsigned> earlyEnds_;
    std::vector<DeviceChange> earlyDeviceChanges_;
    vornik::InterfaceCounters counters_;
};

}  // namespace vornik
