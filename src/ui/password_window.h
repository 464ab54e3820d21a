#pragma once

#include <QDialog>
#include <memory>

#include "services/access_mode.h"

namespace Ui {
class TPasswordForm;
}

namespace pelmo {

class AccessHost;

// Borderless password window. Every change of the text is compared with the passwords
// (access_mode); a match closes the window.
class TPasswordForm : public QDialog {
    Q_OBJECT
public:
    explicit TPasswordForm(AccessHost& host, QWidget* owner = nullptr);
    ~TPasswordForm() override;

    void Edit1Change(const QString& text);
    void Button1Click();

    // What the last change of the text matched.
    PasswordOutcome outcome() const { return outcome_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::unique_ptr<Ui::TPasswordForm> ui_;
    AccessHost& host_;
    PasswordOutcome outcome_ = PasswordOutcome::NoMatch;
};

}  // namespace pelmo
