#pragma once

#include <QDialog>
#include <functional>
#include <memory>

#include "archives/archive_transfer.h"
#include "context/program_context.h"

namespace Ui {
class TArchiv;
}

class QAction;
class QLabel;
class QMenu;

namespace pelmo {

// The archive window: reads the quantity descriptions when it opens, then the archive at
// the scroll bar's position on Enter or "Načíst"; saves and reopens archive files.
class TArchiv final : public QDialog, private ArchiveView {
    Q_OBJECT
public:
    TArchiv(StationPort& port, ProgramContext& program, QWidget* parent = nullptr);
    ~TArchiv() override;

    // The console's traffic log, reset when the intermediate state is cleared.
    void setTrafficLogClearer(std::function<void()> clear) { clearLog_ = std::move(clear); }
    ArchiveSession& session() { return session_; }

    // Shows a record kept in the history instead of reading the station: nothing is sent,
    // the reading controls stay disabled. `position` and `station` name the record.
    void openStored(const ArchiveFileTexts& texts, int position, const StationCalendar& station,
                    const QString& source);
    void setCaptions();
    void FormShow();
    void b_nacistClick();
    void b_nulovatClick();
    void m_ulozitClick();
    void m_nacistClick();
    void m_zDiskuClick();
    void ScrollBar1Change();
    void PopupMenu1Popup(const QPoint& where);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void archiveStatus(const QString& text) override;
    void sourceFile(const QString& name) override;
    void descriptionStarting() override;
    void sequenceRunning(bool running) override;
    void gridChanged() override;
    void recordRead(int position) override;
    void sequenceEnded(bool) override {}
    void closeRequested() override;
    void trafficLogReset() override;

    QAction* addItem(QMenu* menu, const char* name);
    void updateResetItems();
    void updateSaveItems();
    void focusScrollBar();

    std::unique_ptr<Ui::TArchiv> ui;
    ArchiveSession session_;
    QMenu* dataMenu_ = nullptr;
    QMenu* popup_ = nullptr;
    QLabel* panel0_ = nullptr;
    QLabel* panel1_ = nullptr;
    bool started_ = false;
    bool stored_ = false;
    std::function<void()> clearLog_;
};

}  // namespace pelmo
