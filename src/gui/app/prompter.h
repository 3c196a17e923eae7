// Message boxes and questions with the application's title. They never block:
// the answer comes through the callback, so the ticks go on while a box is open.
// Tests put a scripted prompter in its place.
#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace vornik::gui {

inline const QString kApplicationTitle = QStringLiteral("Vornik");

class Prompter {
  public:
    virtual ~Prompter() = default;
    virtual void ShowMessage(QWidget* parent, const QString& text,
                             std::function<void()> closed) = 0;
    virtual void AskYesNo(QWidget* parent, const QString& text,
                          std::function<void(bool yes)> answer) = 0;
    virtual void AskOkCancel(QWidget* parent, const QString& text,
                             std::function<void(bool ok)> answer) = 0;
    // The one box that waits for its OK: shown while the program leaves, when
    // nothing could show it afterwards.
    virtual void Warn(QWidget* parent, const QString& text) = 0;
};

class MessageBoxPrompter : public Prompter {
  public:
    void ShowMessage(QWidget* parent, const QString& text, std::function<void()> closed) override;
    void AskYesNo(QWidget* parent, const QString& text,
                  std::function<void(bool yes)> answer) override;
    void AskOkCancel(QWidget* parent, const QString& text,
                     std::function<void(bool ok)> answer) override;
    void Warn(QWidget* parent, const QString& text) override;
};

}  // namespace vornik::gui
