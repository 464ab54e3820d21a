#include "ui/settings_dialog_window.h"

#include <QShowEvent>

#include "base/texts.h"
#include "files/program_settings.h"
#include "model/station_image.h"
#include "services/shell_hosts.h"
#include "ui_settings_dialog_window.h"

namespace pelmo {

TNastaveni::TNastaveni(SettingsDialogHost& host, const QString& iniPath, ProgramContext& program,
                       QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      ui_(std::make_unique<Ui::TNastaveni>()),
      host_(host),
      ini_(iniPath),
      program_(program),
      prompts_(program.prompts()) {
    ui_->setupUi(this);
    setCaptions();
    opened_ =
        readSettingsForm(ini_, program_.settings, host_.availablePorts(), host_.currentPort());
    showForm(opened_);

    connect(ui_->Button1, &QPushButton::clicked, this, &TNastaveni::Button1Click);
    connect(ui_->CancelBtn, &QPushButton::clicked, this, &TNastaveni::CancelBtnClick);
}

TNastaveni::~TNastaveni() = default;

void TNastaveni::setCaptions() {
    setWindowTitle(txt(kTextPCConfiguration));
    ui_->gb_PortBox->setTitle(txt(kTextPCSerialPort));
    ui_->PametRadioArea->setTitle(txt(kTextAvailableSystemMemory));
    ui_->KomAdresaArea->setTitle(txt(kTextNetAddress193));
    ui_->Label1->setText(txt(kTextAddress));
    ui_->ZvukIndikaceCheck->setText(txt(kTextSoundSignals));
    ui_->ch_kontrola->setText(txt(kTextStationProgrammingCheck));
    ui_->r_verze->setTitle(txt(kTextProgramVersion));
    ui_->rb_para->setText(txt(kTextSteam354));
    ui_->rb_plyn->setText(txt(kTextGas));
    ui_->ch_exportDate->setText(txt(kTextIncludeDateInExported));
    ui_->ch_delimiter->setText(txt(kTextIncludeDelimiterToExported));
    ui_->Button1->setText(txt(kTextSave));
    ui_->CancelBtn->setText(txt(kTextCancel));
}

void TNastaveni::showForm(const SettingsFormState& form) {
    ui_->cbPortBox->clear();
    ui_->cbPortBox->addItems(form.portEntries);
    ui_->cbPortBox->setCurrentIndex(form.portIndex);
    (form.memory64 ? ui_->rb_64KB : ui_->rb_32KB)->setChecked(true);
    ui_->ZvukIndikaceCheck->setChecked(form.sound);
    (form.english ? ui_->rb_english : ui_->rb_cesky)->setChecked(true);
    ui_->KomAdresaEdit->setText(form.address);
    ui_->ch_kontrola->setChecked(form.checking);
    (form.gas ? ui_->rb_plyn : ui_->rb_para)->setChecked(true);
    ui_->ch_variant->setChecked(form.variant);
    ui_->ch_exportDate->setChecked(form.exportDate);
    ui_->ch_delimiter->setChecked(form.delimiter);
}

SettingsFormState TNastaveni::formState() const {
    SettingsFormState form;
    form.portEntries = opened_.portEntries;
    form.portIndex = ui_->cbPortBox->currentIndex();
    form.openedPortIndex = opened_.openedPortIndex;
    form.memory64 = ui_->rb_64KB->isChecked();
    form.sound = ui_->ZvukIndikaceCheck->isChecked();
    form.english = ui_->rb_english->isChecked();
    form.address = ui_->KomAdresaEdit->text();
    form.checking = ui_->ch_kontrola->isChecked();
    form.gas = ui_->rb_plyn->isChecked();
    form.variant = ui_->ch_variant->isChecked();
    form.exportDate = ui_->ch_exportDate->isChecked();
    form.delimiter = ui_->ch_delimiter->isChecked();
    return form;
}

void TNastaveni::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        FormShow();
    }
}

void TNastaveni::FormShow() {
    ui_->ch_kontrola->setChecked(program_.settings.checking);
}

void TNastaveni::Button1Click() {
    if (saveSettingsForm(formState(), ini_, program_.station, program_.settings, host_, prompts_)) {
        accept();
    }
}

void TNastaveni::CancelBtnClick() {
    reject();
}

}  // namespace pelmo
