#pragma once

#include <QString>
#include <cstdint>

namespace pelmo {

class AccessHost;

// Lasts for the running program only; nothing about it is stored.
enum class AccessMode : std::uint8_t { None = 0, User = 1, Admin = 2 };

AccessMode accessMode();
void setAccessMode(AccessMode mode);

enum class PasswordOutcome {
    NoMatch,  // the text is no password: the access mode is now none
    Debug,    // debug console shown
    User,
    Admin,
};

// Compares the password box's whole text with the three passwords and applies the
// effect through `host`. Every outcome but NoMatch closes the password window.
PasswordOutcome applyPasswordText(const QString& text, AccessHost& host);

}  // namespace pelmo
