#pragma once

#include <QLineEdit>
#include <QObject>

namespace pelmo {

// Limits what the operator types into a box to `maximum` characters without cutting a longer
// text the program put there (a station block holds more than the box lets one type): a text
// past the limit may be shortened or edited in place, never lengthened. What would go past
// the limit is cut from the typed or pasted text, as the box's own maxLength would cut it.
class TypingLimit final : public QObject {
public:
    TypingLimit(QLineEdit* edit, int maximum);

    int maximum() const { return maximum_; }

private:
    void edited(const QString& text);

    QLineEdit* edit_;
    int maximum_;
    // The last two texts the box held, whichever of its signals comes first.
    QString current_;
    QString previous_;
};

// Replaces the box's maxLength (which cuts whatever setText() is given) by a TypingLimit of
// the same length.
void limitTyping(QLineEdit* edit);

}  // namespace pelmo
