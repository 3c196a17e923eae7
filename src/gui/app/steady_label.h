// A label whose text changes every second but whose size does not. It is sized
// from its font for the widest text it is meant to show, so a new text repaints
// the label alone: a label of fixed size asks its layout for nothing, where a
// free one would have the whole window laid out again (its text measured and
// shaped once more) on every change.
#pragma once

#include <QEvent>
#include <QLabel>
#include <QString>
#include <QStringList>
#include <vector>

namespace vornik::gui {

class SteadyLabel : public QLabel {
  public:
    explicit SteadyLabel(QWidget* parent = nullptr) : QLabel(parent) {
        setTextFormat(Qt::PlainText);
        Fit();
    }

    // Lines apart by "\n", each as wide as it is expected to get.
    void SetWidestText(const QString& widest) {
        widest_ = widest;
        Fit();
    }

    // Sets the text only when it differs from the one shown. Digits are equally
    // wide in the fonts a desktop uses, so only a line with more characters than
    // any measured before can need more room: such a text is measured, and the
    // label grows rather than cut it off.
    void ShowText(const QString& text) {
        if (text == QLabel::text()) {
            return;
        }
        const bool longer = CountLines(text);
        setText(text);
        if (longer) {
            const QSize needed = sizeHint().expandedTo(size());
            if (needed != size()) {
                setFixedSize(needed);
            }
        }
    }

  protected:
    const QString& WidestText() const { return widest_; }

    void changeEvent(QEvent* event) override {
        QLabel::changeEvent(event);
        if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
            Fit();
        }
    }

  private:
    // The size of the widest text, or of the one shown when it is wider.
    void Fit() {
        const QString shown = text();
        lineLengths_.clear();
        CountLines(widest_);
        CountLines(shown);
        setText(widest_);
        const QSize widest = sizeHint();
        setText(shown);
        setFixedSize(widest.expandedTo(sizeHint()));
    }

    // True when `text` has a line longer than the same line of every text counted
    // so far, which it then counts.
    bool CountLines(const QString& text) {
        bool longer = false;
        const QStringList lines = text.split(QLatin1Char('\n'));
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const auto line = static_cast<std::size_t>(i);
            if (line >= lineLengths_.size()) {
                lineLengths_.push_back(0);
            }
            if (lines[i].size() > lineLengths_[line]) {
                lineLengths_[line] = lines[i].size();
                longer = true;
            }
        }
        return longer;
    }

    QString widest_;
    std::vector<qsizetype> lineLengths_;
};

}  // namespace vornik::gui
