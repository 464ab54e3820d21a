#include "ui/password_window.h"

#include "ui_password_window.h"
#include "widgets/program_icon.h"

namespace pelmo {

TPasswordForm::TPasswordForm(AccessHost& host, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint),
      ui_(std::make_unique<Ui::TPasswordForm>()),
      host_(host) {
    ui_->setupUi(this);
    // One "*" a character, whatever the style would draw.
    ui_->Edit1->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    // Button1 is the default button; Escape rejects the dialog, so it is the cancel button
    // as well.
    connect(ui_->Edit1, &QLineEdit::textChanged, this, &TPasswordForm::Edit1Change);
    connect(ui_->Button1, &QPushButton::clicked, this, &TPasswordForm::Button1Click);
}

TPasswordForm::~TPasswordForm() = default;

void TPasswordForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    centreOnOwner(*this, parentWidget());
    ui_->Edit1->setFocus();
}

void TPasswordForm::Edit1Change(const QString& text) {
    outcome_ = applyPasswordText(text, host_);
    if (outcome_ != PasswordOutcome::NoMatch) {
        accept();
    }
}

void TPasswordForm::Button1Click() {
    reject();
}

}  // namespace pelmo
