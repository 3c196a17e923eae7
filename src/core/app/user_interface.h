// What the session asks of whoever shows it to a person: the desktop shell, the
// headless terminal, or a test. Nothing here blocks waiting for a person: a
// question is answered later through its callback.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace vornik {

enum class Sound { kConnected, kDisconnect, kTimeout, kVolumeOut, kIdle };

// The pictures of the tray icon and of the floating window that follow the link.
enum class LinkIcons {
    kConnected,     // tray "connected", floating window "connected" with active arrows
    kDisconnected,  // tray "disconnected", floating window "hung up"
    kIdle           // tray "idle", floating window "idle" with idle arrows
};

class UserInterface {
  public:
    virtual ~UserInterface() = default;

    // The whole dial status line, "拨号状态：" included.
    virtual void ShowDialStatus(const std::string& line) = 0;
    // Starts a prompt sound and returns at once; the session has already checked
    // that sounds are on.
    virtual void PlaySound(Sound sound) = 0;
    virtual void ShowLinkIcons(LinkIcons icons) = 0;
    // The dial, hang-up, report, sound and order items follow the session's state.
    virtual void UpdateMenuStates() = 0;
    // The recorded calls or the order changed: rebuild the history grid.
    virtual void RefreshHistoryView() = 0;
    virtual void ShowEntryList(const std::vector<std::string>& names) = 0;
    // The entry box shows this name (selection by the program, not the user).
    virtual void ShowEntry(const std::string& name) = 0;
    virtual void ShowCredentials(const std::string& userName, const std::string& password) = 0;
    // An OK-only message box with the application's title; `closed` runs when the
    // user has dismissed it.
    virtual void ShowMessage(const std::string& text, std::function<void()> closed) = 0;
    // An OK/Cancel question; `answer` gets true for OK.
    virtual void AskOkCancel(const std::string& question, std::function<void(bool ok)> answer) = 0;
};

}  // namespace vornik
