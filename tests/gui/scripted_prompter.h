#pragma once

#include <gtest/gtest.h>

#include <QStringList>
#include <deque>
#include <functional>

#include "app/prompter.h"

namespace vornik::gui {

// Answers questions from a script, in order, and records every text asked.
class ScriptedPrompter : public Prompter {
  public:
    void ShowMessage(QWidget*, const QString& text, std::function<void()> closed) override {
        asked.push_back(text);
        closed();
    }
    void AskYesNo(QWidget*, const QString& text, std::function<void(bool)> answer) override {
        Ask(text, std::move(answer));
    }
    void AskOkCancel(QWidget*, const QString& text, std::function<void(bool)> answer) override {
        Ask(text, std::move(answer));
    }
    void Warn(QWidget*, const QString& text) override { asked.push_back(text); }

    std::deque<bool> answers;
    QStringList asked;

  private:
    void Ask(const QString& text, std::function<void(bool)> answer) {
        asked.push_back(text);
        ASSERT_FALSE(answers.empty()) << "unexpected question: " << text.toStdString();
        const bool next = answers.front();
        answers.pop_front();
        answer(next);
    }
};

}  // namespace vornik::gui
