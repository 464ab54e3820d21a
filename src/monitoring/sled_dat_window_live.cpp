// The tracking view's live mode: the configuration read, then the station's live values
// once a second, the cursor over the records and their CSV export.
#include <QChart>
#include <QLabel>
#include <QLineSeries>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

#include "base/prompts.h"
#include "base/texts.h"
#include "files/program_settings.h"
#include "monitoring/sled_dat_window.h"
#include "services/sound.h"
#include "ui_sled_dat_window.h"

namespace pelmo {

namespace {

const char* const kNoValue = "------";
const char* const kCsvFilter = "CSV (*.csv)|*.csv|All files (*.*)|*.*";

}  // namespace

void TSledDat::showLive() {
    window_.width = kLiveWindowWidth;
    window_.end = kInitialWindowEnd;
    cursor_->clear();
    link_.rx->setCount(0);
    image().current_index = 1;
    setTimeAxis(0, kInitialWindowEnd);
    ui->ScrollBar1->setMinimum(0);
    ui->ScrollBar1->setMaximum(kLiveCursorMaximum);
    ui->ScrollBar1->setSingleStep(1);
    ui->ScrollBar1->setPageStep(10);
    ui->ScrollBar1->setValue(0);
    // The monitoring commands do not apply to live values; the menu keeps only the CSV
    // export of the records.
    for (QAction* a : {saveAction_, loadFileAction_, exportAction_, loadStationAction_}) {
        a->setVisible(false);
    }
    csvAction_->setVisible(true);
    setDataMenuEnabled(false);
    ui->TrackBar1->hide();
    ui->l_meritko->hide();
    ui->ch_propoj->setChecked(true);
    ch_propojClick();
    for (int n = 1; n <= kChannelCount; ++n) {
        setGridText(n, 1, QString::fromLatin1(kNoValue));
        setGridText(n, 2, QString::fromLatin1(kNoValue));
    }
    setGridText(0, 1, txt(kTextReaded));
    ui->ProgressBar1->setValue(0);
    ui->ProgressBar1->setVisible(true);
    progressTimer_.start();
    setStatusText(txt(kTextInitializingConnection));
    reader_.start();
}

// ---- live tracking ----

void TSledDat::setTimeAxis(double min, double max) {
    // Set in the order that never puts the minimum above the maximum.
    if (min > timeAxis_->max()) {
        timeAxis_->setMax(max);
        timeAxis_->setMin(min);
    } else {
        timeAxis_->setMin(min);
        timeAxis_->setMax(max);
    }
    if (mode_ == TrackingMode::Live) {
        showLivePoints();
    }
}

void TSledDat::showLivePoints() {
    const LiveRecords& records = tracker_.records();
    const auto count = static_cast<std::int64_t>(records.size());
    const std::int64_t first = std::clamp<std::int64_t>(
        static_cast<std::int64_t>(std::floor(timeAxis_->min())) - 1, 0, count);
    const std::int64_t last = std::clamp<std::int64_t>(
        static_cast<std::int64_t>(std::ceil(timeAxis_->max())) + 1, 0, count - 1);
    for (int c = 1; c <= kChannelCount; ++c) {
        QList<QPointF> points;
        const auto i = static_cast<std::size_t>(c - 1);
        for (std::int64_t k = first; k <= last; ++k) {
            points.append(QPointF(static_cast<double>(k),
                                  livePercent(records[static_cast<std::size_t>(k)].raw[i])));
        }
        series(c)->replace(points);
    }
}

void TSledDat::liveStatus(const QString& text) {
    setStatusText(text);
}

void TSledDat::liveRecord(const LiveRecord& record, int index) {
    ui->l_datumAkt->setText(stationDateText(record.time));
    ui->l_casAkt->setText(stationTimeText(record.time));
    const auto texts = liveValueTexts(image(), program_.settings.version, record);
    for (int c = 1; c <= kChannelCount; ++c) {
        setGridText(c, 1, texts[static_cast<std::size_t>(c - 1)]);
    }
    // The point goes on only where the axis shows it; paging back refills from the records.
    if (index <= timeAxis_->max() + 1) {
        for (int c = 1; c <= kChannelCount; ++c) {
            series(c)->append(index, livePercent(record.raw[static_cast<std::size_t>(c - 1)]));
        }
    }
    // The cursor reaches every record, not only those of the first hour.
    ui->ScrollBar1->setMaximum(std::max(kLiveCursorMaximum, index + 1));
    if (advanceLiveChart(window_, index + 1)) {
        setTimeAxis(timeAxis_->min() + kLiveAdvance, timeAxis_->max() + kLiveAdvance);
    }
}

void TSledDat::liveConnectionLost() {
    playSignal(program_.settings, SoundSignal::Warning);
}

void TSledDat::liveTrafficNote(const QString& line) {
    if (hooks_.trafficNote) {
        hooks_.trafficNote(line);
    }
}

void TSledDat::liveFailed(const QString& message) {
    program_.prompts().error(message);
    QTimer::singleShot(0, this, &QDialog::reject);
}

void TSledDat::liveCursorChange(int position) {
    const LiveCursor cursor =
        liveCursor(image(), program_.settings.version, tracker_.records(), position);
    for (int c = 1; c <= kChannelCount; ++c) {
        const auto i = static_cast<std::size_t>(c - 1);
        setGridText(c, 2, cursor.values[i]);
        setGridText(c, 4, cursor.states[i]);
    }
    if (cursor.onRecord) {
        ui->l_datumGraf->setText(stationDateText(cursor.time));
        ui->l_casGraf->setText(stationTimeText(cursor.time));
    } else {
        ui->l_datumGraf->setText(QStringLiteral(" -- / -- / -- "));
        ui->l_casGraf->setText(QStringLiteral(" -- : -- : -- "));
    }
    QList<QPointF> line;
    line.reserve(kCursorTop + 1);
    for (int y = 0; y <= kCursorTop; ++y) {
        line.append(QPointF(position, y));
    }
    cursor_->replace(line);
    const int points = static_cast<int>(tracker_.records().size());
    if (const auto range = pageWindow(window_, position, points)) {
        setTimeAxis(range->min, range->max);
    }
}

void TSledDat::m_exportCsvClick() {
    FileDialogSpec spec;
    spec.filter = QString::fromLatin1(kCsvFilter);
    spec.defaultExtension = QStringLiteral("csv");
    spec.confirmOverwrite = true;
    const QString file = program_.prompts().saveFile(spec);
    if (file.isEmpty()) {
        return;
    }
    exportLiveCsv(file, image(), program_.settings.version, tracker_.records(), program_.prompts());
}

}  // namespace pelmo
