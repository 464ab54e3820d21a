#pragma once

#include <QDialog>
#include <QTimer>
#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "context/program_context.h"
#include "files/monitoring_file.h"
#include "link/communication.h"
#include "monitoring/live_tracker.h"
#include "monitoring/sled_dat_logic.h"
#include "operations/station_reader.h"

namespace Ui {
class TSledDat;
}

class QAction;
class QChart;
class QGraphicsItem;
class QGridLayout;
class QChartView;
class QLabel;
class QLineSeries;
class QMenu;
class QValueAxis;

namespace pelmo {

class WaitIndicator;

// The data tracking view: the monitoring samples of eight channels as a time chart with a
// cursor whose values and time the side panel reads. Opened on samples from the station
// (after the transfer window) or from a monitoring file. In the live mode it reads the
// station's configuration and then follows its live values once a second.
class TSledDat final : public QDialog, private StationReadView, private LiveTrackerView {
    Q_OBJECT
public:
    struct Hooks {
        // The main window's channel grid, refreshed after the configuration read.
        std::function<void()> stationRead;
        // A line for the debug console's traffic log.
        std::function<void(const QString&)> trafficNote;
    };

    TSledDat(StationPort& port, ProgramContext& program, QWidget* parent = nullptr);
    ~TSledDat() override;

    void setHooks(Hooks hooks) { hooks_ = std::move(hooks); }

    // "Ze stanice": runs the transfer window; true when the samples arrived and the view
    // may be shown (it then reads the station configuration when shown).
    bool openFromStation();
    // "Z disku": loads the file and its companion station file with the wait window and
    // fills the chart; false after an error box.
    bool openFromFile(const QString& path);
    // A recording kept in the history, from its .mon and .con bytes; `source` goes to
    // panel 1 and `serial` is the serial number of the station it was read from (the station
    // file does not hold it). False after an error box.
    bool openFromBytes(const QByteArray& mon, const QByteArray& con, const QString& source,
                       int serial);
    // "Sledování dat stanice": the view follows the station once it is shown.
    void openLive();

    TrackingMode mode() const { return mode_; }
    bool fromFile() const { return fromFile_; }
    MonitoringRecording& recording() { return recording_; }
    const ChartWindow& chartWindow() const { return window_; }
    StationReader& configReader() { return reader_; }
    LiveTracker& liveTracker() { return tracker_; }
    QChart* chart() const { return chart_; }
    QLineSeries* series(int channel) const;
    QLineSeries* cursorSeries() const { return cursor_; }
    QString statusText() const;
    QString sourceText() const;
    void setStatusText(const QString& text);
    void setSourceText(const QString& text);

    // Handlers.
    void FormShow();
    void ScrollBar1Change(int position);
    void TrackBar1Change(int position);
    void ch_propojClick();
    void m_ulozitClick();
    void m_nacistDiskClick();
    void m_exportClick();
    void m_nacistStaniceClick();
    void m_exportCsvClick();
    void FormClose();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    StationImage& image() const;
    void setCaptions();
    void applyNumberLocale();
    void buildChart();
    void buildMenu();
    void setDataMenuEnabled(bool on);
    bool runTransfer();
    void populate();
    void fillChart(WaitIndicator* wait);
    void clearChart();
    bool loadFile(const QString& path, WaitIndicator& wait);
    void showLoaded(const QString& source, WaitIndicator& wait);
    void toggleSeries(int channel);
    void focusScrollBar();
    void setGridText(int row, int column, const QString& text);
    void layoutGrid();
    void showLive();
    void liveCursorChange(int position);
    // The grid's values, the two times and the cursor line at cursor position P.
    void showCursorValues(int position);
    // Channel series hold only the points of the shown part of the axis; the records keep
    // the rest.
    void showLivePoints();
    void setTimeAxis(double min, double max);
    // The series are painted from a cache, which must go whenever they move on the screen.
    void invalidateSeriesCache();
    void updateTimeTicks();
    void updateLegend();

    // The configuration read's view.
    void readStarting() override {}
    void readStatus(const QString& text) override;
    void channelDecoded(int) override {}
    void stationDecoded() override {}
    void readCompleted() override;
    void readFailed() override;
    void readInterrupted() override;

    // The live tracking's view.
    void liveStatus(const QString& text) override;
    void liveRecord(const LiveRecord& record, int index) override;
    void liveConnectionLost() override;
    void liveTrafficNote(const QString& line) override;
    void liveFailed(const QString& message) override;

    std::unique_ptr<Ui::TSledDat> ui;
    StationPort& port_;
    ProgramContext& program_;
    LinkContext& link_;
    Hooks hooks_;
    MonitoringRecording recording_;
    StationReader reader_;
    LiveTracker tracker_;
    TrackingMode mode_ = TrackingMode::Monitoring;
    bool fromFile_ = false;
    bool shown_ = false;
    bool closing_ = false;
    ChartWindow window_;
    QChart* chart_ = nullptr;
    QChartView* chartView_ = nullptr;
    QValueAxis* timeAxis_ = nullptr;
    QValueAxis* valueAxis_ = nullptr;
    std::array<QLineSeries*, kChannelCount> series_{};
    QLineSeries* cursor_ = nullptr;
    std::vector<QGraphicsItem*> seriesItems_;
    bool cacheInvalidationPending_ = false;
    QWidget* legend_ = nullptr;
    QGridLayout* legendLayout_ = nullptr;
    std::array<QWidget*, kChannelCount> legendEntries_{};
    std::array<QLabel*, kChannelCount> legendNames_{};
    QLabel* statusPanel_ = nullptr;
    QLabel* sourcePanel_ = nullptr;
    QMenu* dataMenu_ = nullptr;
    QAction* saveAction_ = nullptr;
    QAction* loadFileAction_ = nullptr;
    QAction* exportAction_ = nullptr;
    QAction* loadStationAction_ = nullptr;
    QAction* csvAction_ = nullptr;
    QTimer progressTimer_;
};

}  // namespace pelmo
