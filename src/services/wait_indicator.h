#pragma once

#include <QString>

namespace pelmo {

// Progress of a long load or export that does not return to the event loop while it works;
// the wait window implements it.
class WaitIndicator {
public:
    virtual ~WaitIndicator() = default;

    virtual void setMaximum(int maximum) = 0;
    // Advances by one step, stopping at the maximum.
    virtual void stepIt() = 0;
    virtual void setLabelText(const QString& text) = 0;
    // A progress note such as "Ch. 3".
    virtual void showNote(const QString& note) = 0;
    // Paints now.
    virtual void refresh() = 0;
};

}  // namespace pelmo
