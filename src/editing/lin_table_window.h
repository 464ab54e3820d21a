#pragma once

#include <QDialog>
#include <memory>

#include "editing/lin_table_logic.h"

namespace Ui {
class TLinTab;
}

class QAction;
class QMenu;

namespace pelmo {

struct ProgramSettings;

class Prompts;

// Linearization table editor. The program creates one at start and shows it modally from
// the channel editor for that editor's channel (editChannel); the table logic lives in
// LinTableEditor.
class TLinTab : public QDialog {
    Q_OBJECT
public:
    // `settings` decide whether the flow conversion's warning sounds.
    TLinTab(StationImage& image, Prompts& prompts, const ProgramSettings& settings,
            QWidget* parent = nullptr);
    ~TLinTab() override;

    // Shows the table of `channel` modally; `host` is the channel editor that asks.
    int editChannel(int channel, LinTabHost& host);
    // Everything editChannel does before it waits: captions and FormShow.
    void prepare(int channel, LinTabHost& host);
    // The channel editor hides the divider for pulse inputs.
    void setDividerVisible(bool on);

    LinTableEditor& editor() { return editor_; }
    QAction* action(const char* objectName) const;

    // Caption routine: texts 75, 76, 83, 84, 95, 169-171, 204, 324-333.
    void setCaptions();

    // Handlers.
    void FormShow();
    void b_saveClick();
    void Button1Click();
    void l_deleteClick();
    void DataMenuShow();
    void m_nacistClick();
    void m_ulozitClick();
    void m_prevodClick();
    void seraditClick();
    void unitClick(int unit);
    void linearizeClick(Characteristic kind, int rows);
    void deleteRowKey();

private:
    QAction* addItem(QMenu* menu, const QString& name, const QKeySequence& keys = {});
    void buildMenus();
    void buildGrid();
    // The grid and boxes into the logic (any cell editing ended) and back.
    void readForm();
    void showForm();

    std::unique_ptr<Ui::TLinTab> ui_;
    StationImage& image_;
    Prompts& prompts_;
    const ProgramSettings& settings_;
    LinTableEditor editor_;
    LinTabHost* host_ = nullptr;
    QMenu* dataMenu_ = nullptr;
    QMenu* viewMenu_ = nullptr;
    QMenu* popup_ = nullptr;
    std::vector<QMenu*> linearizeMenus_;
    std::vector<QMenu*> captionedMenus_;
};

}  // namespace pelmo
