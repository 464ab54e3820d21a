#pragma once

#include <QMainWindow>
#include <QTimer>
#include <array>
#include <functional>
#include <memory>

#include "context/program_context.h"
#include "model/station_image.h"
#include "operations/station_backup.h"
#include "operations/station_checks.h"
#include "operations/station_reader.h"
#include "ui/main_window_logic.h"

namespace Ui {
class TZobrStanice;
}

class QAction;
class QKeyEvent;
class QActionGroup;
class QLabel;
class QMenu;

namespace pelmo {

class TForm1;

// The main window: shows the station image, owns the menus and picks the bus address.
class TZobrStanice final : public QMainWindow, private StationReadView, private BackupView {
    Q_OBJECT
public:
    // Windows provided elsewhere; a missing one leaves its command disabled.
    struct Windows {
        std::function<void()> settings;
        std::function<void()> about;
        std::function<void()> password;
        std::function<void()> debugInfo;
        std::function<void(int channel)> channelEditor;
    };

    // Shows `program`'s station and hands `program` to the windows it opens.
    TZobrStanice(ProgramContext& program, TForm1& host, QWidget* parent = nullptr);
    ~TZobrStanice() override;

    void setWindows(const Windows& windows);

    // The caption routine; also run after the settings were saved.
    void applyCaptions();
    void setStatusText(const QString& text);
    QString statusText() const;
    void setFileText(const QString& text);
    // Caption, check mark and address of the user-defined entry.
    void setUserAddress(int address, bool check);
    // Shows entries 1..32 for the non-empty entries of the address list.
    void refreshAddressEntries();
    void appendCaptionSuffix(const QString& suffix);

    // Grid and boxes from the image.
    void clearGridAndBoxes();
    void fillFromImage();
    void fillChannelRow(int n);
    void markVariantChannels();
    void setMeterBoxEnabled(bool on);

    QAction* action(const char* objectName) const;
    StationReader& reader() { return reader_; }
    // The backup read before programming, while it runs.
    StationBackup* backup() const { return backup_.get(); }
    StationBoxes boxes() const;
    void setBoxes(const StationBoxes& boxes);
    // The console's Connect hands its engine over to the read sequence.
    void adoptConnectEngine(std::unique_ptr<TCommunication> engine);
    // The console's own station file command.
    void consoleLoadStationFile();

    // Handlers.
    void FormShow();
    void m_konecClick();
    void addressEntryClick(int entry);
    void m_navodClick();
    // Our HTML manual in the current language, in the desktop's browser.
    void openManual();
    void m_navodJednotkaClick();
    void StringGrid1SelectCell(int row, int column);
    void m_cteniClick();
    void b_prerusitClick();
    void m_definovaniClick();
    void m_ulozeniClick();
    void m_novaClick();
    void m_programovaniClick();
    void i_pametClick();
    void e_meridloDblClick();
    void openChannelEditor(int channel);
    void m_uzamceniClick();
    void m_porovnaniClick();
    void m_archivClick();
    void m_hlaseniClick();
    void m_historieClick();
    void e_hlaseniExit();
    void m_monStaniceClick();
    void m_monSouborClick();
    // The bus search, address maps and the station query windows.
    void m_zeSiteClick();
    void m_zDiskuClick();
    void m_registryClick();
    void m_mezeAlarmuClick();
    void m_mezeMeridlaClick();
    void m_infoHWClick();
    void m_maximumClick();
    void m_letmeClick();
    void m_sledovaniClick();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QMenu* addMenu(QMenu* parent, int text, const char* name);
    QAction* addAction(QMenu* menu, int text, const char* name, const QKeySequence& keys = {});
    void buildMenus();
    void buildGrid();
    void openHelp(const QString& fileName);
    void setTopMenusEnabled(bool on);
    // A sequence started or ended on the bus.
    void busChanged(bool busy);
    void setStationBoxesEnabled(bool on);
    void stopProgress();
    QString confirmationText(bool withName) const;
    void loadSucceeded();
    void loadFailed();
    // Whether `key` is the shortcut of an enabled menu command.
    bool menuShortcut(const QKeyEvent& key) const;

    // The read sequence's view.
    void readStarting() override;
    void readStatus(const QString& text) override;
    void channelDecoded(int channel) override;
    void stationDecoded() override;
    void readCompleted() override;
    void readFailed() override;
    void readInterrupted() override;

    // The backup read before programming, then the programming window.
    void backupStatus(const QString& text) override;
    void backupEnded(bool ok) override;
    void runProgramming(const QString& backupFile);

    std::unique_ptr<Ui::TZobrStanice> ui;
    ProgramContext& program_;
    // The messages box is being checked; its own error box must not check it again.
    bool checkingMessages_ = false;
    TForm1& host_;
    StationImage& image_;
    Windows windows_;
    QLabel* statusPanel_ = nullptr;
    QLabel* filePanel_ = nullptr;
    QTimer progressTimer_;
    QActionGroup* addressGroup_ = nullptr;
    QActionGroup* stationCommands_ = nullptr;
    std::array<QAction*, kAddressEntries> addressEntries_{};
    QAction* userEntry_ = nullptr;
    std::vector<std::pair<QObject*, int>> captions_;
    QString captionSuffix_;
    StationReader reader_;
    std::unique_ptr<StationBackup> backup_;
    QString lastFile_;
    bool shown_ = false;
};

}  // namespace pelmo
