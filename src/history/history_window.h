#pragma once

#include <QDialog>
#include <memory>
#include <vector>

#include "context/program_context.h"
#include "history/history_database.h"

namespace Ui {
class THistorie;
}

namespace pelmo {

class StationPort;

// The reading history: the stations kept in the history database, then the readings of the
// chosen station, newest first. A reading opens in its own window (archive, messages, chart)
// from what was stored, without the station; a selection of readings exports to CSV.
class THistorie final : public QDialog {
    Q_OBJECT
public:
    THistorie(StationPort& port, ProgramContext& program, const QString& databasePath,
              QWidget* parent = nullptr);
    ~THistorie() override;

    void setCaptions();
    // Lists the stations again (and the readings of the one chosen).
    void refresh();
    void stationChanged();
    void b_otevritClick();
    void b_exportClick();

    const std::vector<StoredStation>& stations() const { return stations_; }
    const std::vector<StoredReading>& readings() const { return readings_; }
    // Rows of the readings grid that are selected, in list order.
    std::vector<StoredReading> selectedReadings() const;
    QString statusText() const;

private:
    void fillReadings();
    void openReading(const StoredReading& reading);
    void setStatus(const QString& text);

    std::unique_ptr<Ui::THistorie> ui;
    StationPort& port_;
    ProgramContext& program_;
    HistoryDatabase db_;
    bool open_ = false;
    std::vector<StoredStation> stations_;
    std::vector<StoredReading> readings_;
};

}  // namespace pelmo
