#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/user_interface.h"

namespace vornik::testing {

// Records what the session shows; questions and messages wait in a queue until
// the test answers them.
class RecordingUi : public UserInterface {
  public:
    void ShowDialStatus(const std::string& line) override { statusLines.push_back(line); }
    void PlaySound(Sound sound) override { sounds.push_back(sound); }
    void ShowLinkIcons(LinkIcons icons) override { iconStates.push_back(icons); }
    void ShowMenuStates(const MenuStates& states) override { menuStates = states; }
    void ShowHistory(const MonthHistory& shown) override { history = shown; }
    void ShowLiveFigures(const LiveFigures& figures) override {
        downSpeed = figures.speed.NewestDown();
    }
    // Like a combo box, a new list shows its first name until told otherwise.
    void ShowEntryList(const std::vector<std::string>& names) override {
        entryList = names;
        entryText = names.empty() ? std::string{} : names.front();
    }
    void ShowEntry(const std::string& name) override { entryText = name; }
    void ShowCredentials(const std::string& userName, const std::string& password) override {
        shownUserName = userName;
        shownPassword = password;
    }
    void ShowMessage(const std::string& text, std::function<void()> closed) override {
        messages.push_back(text);
        openMessages.push_back(std::move(closed));
    }
    void ShowNotice(const std::string& text) override { shownNotices.push_back(text); }
    void AskOkCancel(const std::string& question, std::function<void(bool)> answer) override {
        questions.push_back(question);
        openQuestions.push_back(std::move(answer));
    }
    void Announce(const Notice& notice) override { notices.push_back(notice); }

    // Dismisses the oldest open message; false when none is open.
    bool CloseMessage() {
        if (openMessages.empty()) {
            return false;
        }
        auto closed = std::move(openMessages.front());
        openMessages.erase(openMessages.begin());
        closed();
        return true;
    }
    bool Answer(bool ok) {
        if (openQuestions.empty()) {
            return false;
        }
        auto answer = std::move(openQuestions.front());
        openQuestions.erase(openQuestions.begin());
        answer(ok);
        return true;
    }
    std::string LastStatus() const { return statusLines.empty() ? "" : statusLines.back(); }
    std::vector<std::string> Notices(NoticeKind kind) const {
        std::vector<std::string> summaries;
        for (const Notice& notice : notices) {
            if (notice.kind == kind) {
                summaries.push_back(notice.summary);
            }
        }
        return summaries;
    }
    int Count(Sound sound) const {
        int n = 0;
        for (const Sound s : sounds) {
            n += s == sound ? 1 : 0;
        }
        return n;
    }

    std::vector<std::string> statusLines;
    std::vector<Sound> sounds;
    std::vector<LinkIcons> iconStates;
    std::vector<Notice> notices;
    MenuStates menuStates;
    MonthHistory history;
    double downSpeed = 0;  // KB/s, as last shown
    std::vector<std::string> entryList;
    std::string entryText;
    std::string shownUserName;
    std::string shownPassword;
    std::vector<std::string> messages;
    std::vector<std::string> shownNotices;
    std::vector<std::function<void()>> openMessages;
    std::vector<std::string> questions;
    std::vector<std::function<void(bool)>> openQuestions;
};

}  // namespace vornik::testing
