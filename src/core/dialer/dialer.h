// The dialer port: the phone book, dialling, hang-up and the link's counters, as
// every back-end (simulated, NetworkManager, pppd) offers them to the session.
// Events arrive on the thread that drives the session, one at a time.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>

namespace vornik {

// Connection-state codes of StateChanged.
namespace dial_state {
inline constexpr int kNoConnection = -1;
inline constexpr int kOpenPort = 0;
inline constexpr int kPortOpened = 1;
inline constexpr int kConnectDevice = 2;
inline constexpr int kDeviceConnected = 3;
inline constexpr int kAllDevicesConnected = 4;
inline constexpr int kAuthenticate = 5;
inline constexpr int kAuthProject = 10;
inline constexpr int kAuthenticated = 14;
inline constexpr int kProjected = 18;
inline constexpr int kStartAuthentication = 19;
inline constexpr int kLogonNetwork = 21;
inline constexpr int kConnected = 8192;
inline constexpr int kDisconnected = 8193;
}  // namespace dial_state

class Dialer {
  public:
    struct Events {
        std::function<void(int state)> stateChanged = {};
        // Dialling failed; the message is shown to the user as it stands.
        std::function<void(const std::string& message)> dialError = {};
        // The entry chosen by LoadEntry has its credentials ready. Back-ends that
        // read them at once raise it from inside LoadEntry; others when the answer
        // comes.
        std::function<void()> entryLoaded = {};
        // Entries were added, removed or renamed: the entry list is out of date.
        std::function<void()> phoneBookChanged = {};
    };

    virtual ~Dialer() = default;

    // Which back-end this is ("sim", "networkmanager", "pppd") and whether its
    // links are simulated, so no one takes a simulated link for a real one.
    virtual std::string BackendName() const = 0;
    virtual bool IsSimulated() const = 0;

    // Properties.
    virtual bool IsConnected() = 0;
    virtual std::string EntryName() = 0;  // selected by the last LoadEntry; empty: none
    virtual std::string EntryUserName() = 0;
    virtual void SetEntryUserName(const std::string& name) = 0;
    virtual std::string EntryPassword() = 0;
    virtual void SetEntryPassword(const std::string& password) = 0;
    virtual std::string PhoneBook() = 0;  // empty: no file
    virtual void SetPhoneBook(const std::string& path) = 0;
    virtual std::string DefaultPhoneBook() = 0;
    virtual int EntryCount() = 0;
    // The back-end is still reading its entries (they come with phoneBookChanged);
    // until then an empty list says nothing.
    virtual bool PhoneBookLoading() { return false; }
    virtual std::string EntryNameAt(int index) = 0;
    virtual std::string DeviceType() = 0;      // of the link that is up
    virtual std::string IPAddress() = 0;       // may be empty
    virtual std::int64_t BytesReceived() = 0;  // since this link came up
    virtual std::int64_t BytesSent() = 0;

    // Methods.
    virtual void Connect() = 0;  // returns at once; progress comes as StateChanged
    virtual void HangUp() = 0;
    // Selects the entry at once (EntryName); its credentials follow with the
    // entryLoaded event.
    virtual void LoadEntry(const std::string& name) = 0;
    // Stores EntryUserName and EntryPassword into the entry; a back-end that
    // cannot says so through its own notices.
    virtual void SaveEntry(const std::string& name) = 0;
    virtual int CreateEntry() = 0;  // 0 when an entry was made
    virtual void EditEntry(const std::string& name) = 0;

    // Options the program sets; what they mean is the back-end's business.
    virtual void SetOptionA(bool) {}
    virtual void SetOptionB(bool) {}
    virtual void SetOptionC(int) {}

    // Back-ends that advance by themselves over time (the simulated one) do so
    // here. They ask for it through the wake-up when something falls due; tests
    // call it after moving the clock. The others report by events and never need it.
    virtual void Poll() {}

    // Poll is due after this many milliseconds (0: as soon as the event loop is
    // free); nothing: no longer due at all. Each request replaces the one before,
    // so a back-end always states its next due moment.
    using WakeUp = std::function<void(std::optional<std::int64_t> delayMs)>;
    // The shell that runs the timers installs the wake-up; without one only
    // explicit calls of Poll move the back-end on. Like the events, it belongs to
    // one owner at a time.
    void SetWakeUp(const void* owner, WakeUp wakeUp) {
        wakeUpOwner_ = owner;
        wakeUp_ = std::move(wakeUp);
    }
    void ClearWakeUp(const void* owner) {
        if (wakeUpOwner_ == owner) {
            wakeUpOwner_ = nullptr;
            wakeUp_ = {};
        }
    }

    // The events go to one owner at a time. An owner that goes away takes its
    // events with it, but never those a later owner installed.
    void SetEvents(const void* owner, Events events) {
        eventsOwner_ = owner;
        events_ = std::move(events);
    }
    void ClearEvents(const void* owner) {
        if (eventsOwner_ == owner) {
            eventsOwner_ = nullptr;
            events_ = {};
        }
    }

  protected:
    void RaiseStateChanged(int state) { Raise(events_.stateChanged, state); }
    void RaiseDialError(const std::string& message) { Raise(events_.dialError, message); }
    void RaiseEntryLoaded() { Raise(events_.entryLoaded); }
    void RaisePhoneBookChanged() { Raise(events_.phoneBookChanged); }
    // A moment already past is due at once.
    void RequestWakeUp(std::optional<std::int64_t> delayMs) {
        if (delayMs && *delayMs < 0) {
            delayMs = 0;
        }
        Raise(wakeUp_, delayMs);
    }

  private:
    // A copy, so a handler that replaces the events does not pull the running
    // one from under itself.
    template <typename Handler, typename... Args>
    static void Raise(const Handler& handler, Args&&... args) {
        if (handler) {
            Handler running = handler;
            running(std::forward<Args>(args)...);
        }
    }

    const void* eventsOwner_ = nullptr;
    Events events_;
    const void* wakeUpOwner_ = nullptr;
    WakeUp wakeUp_;
};

}  // namespace vornik
