#include "widgets/typing_limit.h"

#include <algorithm>

namespace pelmo {

TypingLimit::TypingLimit(QLineEdit* edit, int maximum)
    : QObject(edit), edit_(edit), maximum_(maximum), current_(edit->text()) {
    // The box's own text, not the signal's: a signal held back while edited() replaced the
    // text arrives after the replacement.
    connect(edit, &QLineEdit::textChanged, this, [this] {
        previous_ = current_;
        current_ = edit_->text();
    });
    connect(edit, &QLineEdit::textEdited, this, &TypingLimit::edited);
}

void TypingLimit::edited(const QString& text) {
    const QString& before = text == current_ ? previous_ : current_;
    const qsizetype allowed = std::max<qsizetype>(maximum_, before.size());
    const qsizetype excess = text.size() - allowed;
    if (excess <= 0) {
        return;
    }
    // The inserted characters end at the cursor; the last of them go.
    const int cursor = edit_->cursorPosition();
    const qsizetype from = std::clamp<qsizetype>(cursor - excess, 0, text.size() - excess);
    QString kept = text;
    kept.remove(from, excess);
    edit_->setText(kept);
    edit_->setCursorPosition(static_cast<int>(from));
}

void limitTyping(QLineEdit* edit) {
    const int maximum = edit->maxLength();
    // QLineEdit's own limit is far above any station text.
    edit->setMaxLength(32767);
    new TypingLimit(edit, maximum);
}

}  // namespace pelmo
