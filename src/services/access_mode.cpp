#include "services/access_mode.h"

#include "services/shell_hosts.h"

namespace pelmo {

namespace {

AccessMode g_mode = AccessMode::None;

const QString kDebugPassword = QStringLiteral("mzq7rtn");
const QString kUserPassword = QStringLiteral("rakeTix");
const QString kAdminPassword = QStringLiteral("plovKenMirt");

// An open channel editor enables its upload from the mode, so it hears of every entry and
// of the drop to none as well.
void changeMode(AccessMode mode, AccessHost& host) {
    const bool changed = g_mode != mode;
    g_mode = mode;
    if (changed || mode != AccessMode::None) {
        host.accessModeChanged();
    }
}

}  // namespace

AccessMode accessMode() {
    return g_mode;
}

void setAccessMode(AccessMode mode) {
    g_mode = mode;
}

PasswordOutcome applyPasswordText(const QString& text, AccessHost& host) {
    if (text == kDebugPassword) {
        host.showDebugConsole();
        return PasswordOutcome::Debug;
    }
    if (text == kUserPassword) {
        changeMode(AccessMode::User, host);
        host.appendMainCaption(QStringLiteral("(*USER*)"));
        return PasswordOutcome::User;
    }
    if (text == kAdminPassword) {
        changeMode(AccessMode::Admin, host);
        host.appendMainCaption(QStringLiteral("(*ADMIN*)"));
        return PasswordOutcome::Admin;
    }
    changeMode(AccessMode::None, host);
    return PasswordOutcome::NoMatch;
}

}  // namespace pelmo
