#include "ui/debug_info_window.h"

#include <QCheckBox>

#include "base/version.h"
#include "ui_debug_info_window.h"

namespace pelmo {

TDebugInfoForm::TDebugInfoForm(QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::TDebugInfoForm>()) {
    ui_->setupUi(this);
    QFont title = ui_->l_title->font();
    title.setBold(true);
    title.setPointSizeF(title.pointSizeF() * 1.3);
    ui_->l_title->setFont(title);
    ui_->l_version->setText(programVersionText());

    // The options are facts of the build: shown, never changed, and not greyed out.
    for (QCheckBox* box : ui_->gb_options->findChildren<QCheckBox*>()) {
        box->setAttribute(Qt::WA_TransparentForMouseEvents);
        box->setFocusPolicy(Qt::NoFocus);
    }
    connect(ui_->OKButton, &QPushButton::clicked, this, &TDebugInfoForm::OKButtonClick);
}

TDebugInfoForm::~TDebugInfoForm() = default;

void TDebugInfoForm::OKButtonClick() {
    accept();
}

}  // namespace pelmo
