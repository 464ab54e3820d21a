#include "services/access_mode.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>

#include "recording_hosts.h"
#include "ui/password_window.h"

namespace pelmo {
namespace {

using test::RecordingAccessHost;

class Passwords : public ::testing::Test {
protected:
    Passwords() { setAccessMode(AccessMode::None); }
    ~Passwords() override { setAccessMode(AccessMode::None); }

    // Opens the password window and types `text` one character at a time; returns the
    // access mode after each character.
    std::vector<AccessMode> type(const QString& text, bool* closed = nullptr) {
        TPasswordForm form(host_);
        form.show();
        auto* edit = form.findChild<QLineEdit*>(QStringLiteral("Edit1"));
        std::vector<AccessMode> modes;
        for (QChar c : text) {
            EXPECT_TRUE(form.isVisible()) << "typing into a closed window";
            edit->insert(QString(c));
            modes.push_back(accessMode());
        }
        if (closed) {
            *closed = !form.isVisible() && form.result() == QDialog::Accepted;
        }
        return modes;
    }

    RecordingAccessHost host_;
};

TEST_F(Passwords, UserPasswordTypedCharacterByCharacter) {
    setAccessMode(AccessMode::Admin);
    bool closed = false;
    const std::vector<AccessMode> modes = type(QStringLiteral("rakeTix"), &closed);
    ASSERT_EQ(modes.size(), 7u);
    for (std::size_t i = 0; i + 1 < modes.size(); ++i) {
        EXPECT_EQ(modes[i], AccessMode::None) << "after prefix of length " << i + 1;
    }
    EXPECT_EQ(modes.back(), AccessMode::User);
    EXPECT_TRUE(closed);
    EXPECT_EQ(host_.caption, QStringLiteral("(*USER*)"));
    // Once for the drop from administrator to none, once for user.
    EXPECT_EQ(host_.modeChanges, 2);

    type(QStringLiteral("rakeTix"));
    EXPECT_EQ(host_.caption, QStringLiteral("(*USER*)(*USER*)"));
}

TEST_F(Passwords, AdministratorAndDebug) {
    bool closed = false;
    type(QStringLiteral("plovKenMirt"), &closed);
    EXPECT_TRUE(closed);
    EXPECT_EQ(accessMode(), AccessMode::Admin);
    EXPECT_EQ(host_.caption, QStringLiteral("(*ADMIN*)"));

    closed = false;
    type(QStringLiteral("mzq7rtn"), &closed);
    EXPECT_TRUE(closed);
    EXPECT_EQ(host_.consoleShown, 1);
    EXPECT_EQ(host_.caption, QStringLiteral("(*ADMIN*)"));
}

TEST_F(Passwords, ComparedExactly) {
    for (const char* wrong : {"raketix", "rakeTix ", " rakeTix", "RAKETIX"}) {
        setAccessMode(AccessMode::User);
        EXPECT_EQ(applyPasswordText(QString::fromLatin1(wrong), host_), PasswordOutcome::NoMatch);
        EXPECT_EQ(accessMode(), AccessMode::None) << wrong;
    }
    EXPECT_TRUE(host_.caption.isEmpty());
}

TEST_F(Passwords, OneWrongCharacterDropsTheMode) {
    setAccessMode(AccessMode::User);
    bool closed = true;
    type(QStringLiteral("x"), &closed);
    EXPECT_FALSE(closed);
    EXPECT_EQ(accessMode(), AccessMode::None);
    EXPECT_EQ(host_.modeChanges, 1);
}

TEST_F(Passwords, ClosingWithoutTypingKeepsTheMode) {
    setAccessMode(AccessMode::Admin);
    TPasswordForm form(host_);
    form.show();
    form.findChild<QPushButton*>(QStringLiteral("Button1"))->click();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(accessMode(), AccessMode::Admin);
    EXPECT_EQ(host_.modeChanges, 0);
}

}  // namespace
}  // namespace pelmo
