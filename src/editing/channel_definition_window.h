#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <vector>

#include "context/program_context.h"
#include "editing/channel_definition_logic.h"
#include "editing/lin_table_logic.h"
#include "operations/channel_upload.h"

namespace Ui {
class TDefVeliciny;
}

class QAction;
class QMenu;

namespace pelmo {

class Prompts;
class StationPort;
class TLinTab;
struct LinkContext;

// Channel definition editor for one channel of the image; shown modally by the main window.
// The rules live in channel_definition_logic, the upload in ChannelUpload.
class TDefVeliciny : public QDialog, public LinTabHost, private ChannelUploadView {
    Q_OBJECT
public:
    struct Callbacks {
        // The main window's channel grid row n from the image.
        std::function<void(int)> refreshGridRow;
        // The memory distribution window, modal.
        std::function<void()> openMemoryWindow;
        // The password window (hidden item pwd1, Ctrl+Alt+H).
        std::function<void()> openPassword;
    };

    // Edits channel `channel` of the program's station image and uploads it over its link.
    TDefVeliciny(int channel, ProgramContext& program, StationPort& port, TLinTab& tableEditor,
                 Callbacks callbacks, QWidget* parent = nullptr);
    ~TDefVeliciny() override;

    // The access mode changed: "Do stanice..." follows it.
    void accessModeChanged();

    // Caption routine: texts 75, 76, 78-95, 102, 202, 203, 363, 364, 390.
    void setCaptions();
    ChannelUpload& upload() { return upload_; }
    int channel() const { return channel_; }

    // Handlers.
    void FormShow();
    void C_vstupChange();
    void e_typDblClick();
    void e_typExit();
    void m_smazatTabClick();
    void e_pametDblClick();
    void ch_autoMouseUp();
    void Button2Click();
    void Button1Click();
    void b_delClick();
    void b_doStaniceClick();
    void pwd1Click();

    // LinTabHost: what the table editor reads and changes here.
    bool frequencyInput() const override;
    QString minValueText() const override;
    QString maxValueText() const override;
    QString sensorTypeText() const override;
    void setCancelEnabled(bool on) override;
    void tableDeleted() override;
    void tableStored(const QString& min, const QString& max, const QString& lowLimit,
                     const QString& highLimit) override;

    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // ChannelUploadView.
    void uploadStatus(const QString& text) override;
    void uploadProgress(int value) override;
    void uploadEnded() override;
    void closeEditor() override;

    ChannelForm readForm() const;
    void showMemory(int bytes);
    void setIntervalEnabled(bool on);
    void setLimitsUnknown();
    void refreshRow();
    void setSequenceControlsEnabled(bool on);

    std::unique_ptr<Ui::TDefVeliciny> ui_;
    int channel_;
    const ProgramSettings& settings_;
    StationImage& image_;
    TLinTab& tableEditor_;
    Prompts& prompts_;
    Callbacks callbacks_;
    ChannelUpload upload_;
    QMenu* sensorMenu_ = nullptr;
    QAction* pwd1_ = nullptr;
    std::vector<OutputEntry> outputs_;
    int rememberedGroup_ = -1;
    int rememberedIndex_ = -1;
    bool filling_ = false;
    bool askingSensor_ = false;
    bool mustSave_ = false;  // the table was deleted: only saving closes the editor
};

}  // namespace pelmo
