// The dialer on pppd: the phone book is the peers folder, a dial is a pppd child
// process, and the link's state is read from that process, its link pid file and
// the ppp interface it creates.
#pragma once

#include <QObject>
#include <QPointer>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "dialer/dialer.h"
#include "net/interface_counters.h"

class QProcess;
class QTimer;

namespace vornik {

struct PppdOptions {
    std::filesystem::path peersFolder = "/etc/ppp/peers";
    // Where pap-secrets and chap-secrets live.
    std::filesystem::path secretsFolder = "/etc/ppp";
    // Empty: `pppd` found on PATH, else in /usr/sbin or /sbin (not on a user's PATH).
    std::filesystem::path program;
    // pppd writes ppp-LINKNAME.pid here: its pid, then the interface name.
    std::filesystem::path runFolder = "/var/run";
    std::filesystem::path sysClassNet = "/sys/class/net";
    // Messages for the user that are not dial errors (why a credential was not
    // saved, where entries are edited).
    std::function<void(const std::string&)> notice;
    // Failures the user is spared, for the error log.
    std::function<void(const std::string&)> trace;
    // Whether this user may run pppd; empty: root or a member of the dip group.
    std::function<bool()> userMayDial;
};

// Root, or a member of the dip group: Debian installs pppd setuid root, runnable
// by dip only. A system without that group does not gate pppd by it.
bool UserMayRunPppd();

class PppdDialer : public QObject, public vornik::Dialer {
    Q_OBJECT

  public:
    // A hang-up that SIGTERM has not ended by then is finished with SIGKILL.
    static constexpr int kKillDelayMs = 3000;
    // While dialling, how often pppd's progress is looked at. Once the link is up
    // nothing is polled: pppd's end is an event, and the session asks for the
    // link and its counters every second, which is when a vanished interface is
    // noticed.
    static constexpr int kPollIntervalMs = 200;

    explicit PppdDialer(PppdOptions options = {}, QObject* parent = nullptr);
    // Ends a pppd still running: the link does not outlive the program that meters it.
    ~PppdDialer() override;

    // Whether the folder holds at least one peers file this user can read.
    static bool PeersReadable(const std::filesystem::path& peersFolder = "/etc/ppp/peers");

    std::string BackendName() const override { return "pppd"; }
    bool IsSimulated() const override { return false; }

    bool IsConnected() override;
    std::string EntryName() override;
    std::string EntryUserName() override;
    void SetEntryUserName(const std::string& name) override;
    std::string EntryPassword() override;
    void SetEntryPassword(const std::string& password) override;
    std::string PhoneBook() override;
    void SetPhoneBook(const std::string& path) override;
    std::string DefaultPhoneBook() override;
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
    int CreateEntry() override;
    void EditEntry(const std::string& name) override;

  private:
    enum class Phase { kDown, kDialing, kUp };

    void ReadPeersFolder();
    void StartPppd(const std::filesystem::path& program);
    void FailLater(const std::string& message);
    void PollLink();
    bool LinkStillUp();
    int ReachedStep();
    void RaiseSteps(int upTo, int run);
    void TakeLinkDown();
    void OnPppdEnded(int run, bool crashed, int exitCode);
    void OnPppdFailedToStart(int run);
    void EndRun();
    void FailToSave(const std::filesystem::path& file, const std::string& reason);
    void Notice(const std::string& text) const;
    void Trace(const std::string& text) const;

    PppdOptions options_;
    std::vector<std::string> entries_;

    // The selected entry and its credentials as loaded or set since.
    std::string entryName_;
    std::string loadedUserName_;
    std::string userName_;
    std::string password_;

    // The dial in progress or the link that is up. `run_` counts pppd runs, so
    // that a late signal of an earlier run is recognised and dropped.
    Phase phase_ = Phase::kDown;
    int run_ = 0;
    QPointer<QProcess> process_;
    QTimer* pollTimer_;  // runs while dialling only
    std::string linkEntry_;
    std::string linkDeviceType_;
    std::string interfaceName_;
    unsigned linkIndex_ = 0;  // of the interface while the link is up
    std::string address_;
    int stepsRaised_ = 0;
    bool linkWasUp_ = false;  // in this run; a later end is no dial error
    bool hangUpRequested_ = false;
    // The link was found gone; its end is reported from the event loop.
    bool linkLost_ = false;
    std::chrono::steady_clock::time_point lastLinkCheck_;
    std::string output_;  // the tail of pppd's output, for the error log
    vornik::InterfaceCounters counters_;
    vornik::ByteCounts linkCounts_;  // as last read; frozen once the link is down
};

}  // namespace vornik
