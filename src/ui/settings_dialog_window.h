#pragma once

#include <QDialog>
#include <memory>

#include "context/program_context.h"
#include "files/settings_ini.h"
#include "ui/settings_dialog_logic.h"

namespace Ui {
class TNastaveni;
}

namespace pelmo {

class Prompts;
class SettingsDialogHost;

// Program settings. Reads settings.ini again when created; the save button applies the
// settings and writes them back (settings_dialog_logic).
class TNastaveni : public QDialog {
    Q_OBJECT
public:
    // Shows and changes `program`'s settings; `iniPath` is the file they are kept in.
    TNastaveni(SettingsDialogHost& host, const QString& iniPath, ProgramContext& program,
               QWidget* parent = nullptr);
    ~TNastaveni() override;

    // Caption routine: texts 21, 75, 76, 191-194, 197, 198, 353-355, 395, 396.
    void setCaptions();

    void FormShow();
    void Button1Click();
    void CancelBtnClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void showForm(const SettingsFormState& form);
    SettingsFormState formState() const;

    std::unique_ptr<Ui::TNastaveni> ui_;
    SettingsDialogHost& host_;
    SettingsIni ini_;
    ProgramContext& program_;
    Prompts& prompts_;
    SettingsFormState opened_;
};

}  // namespace pelmo
