#include "history/history_window.h"

#include <QDateEdit>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>

#include "archives/archive_window.h"
#include "archives/messages_window.h"
#include "base/prompts.h"
#include "base/texts.h"
#include "history/history_csv.h"
#include "history/history_window_logic.h"
#include "monitoring/sled_dat_window.h"
#include "ui_history_window.h"

namespace pelmo {

namespace {

void setCell(QTableWidget* grid, int row, int column, const QString& text) {
    auto* item = new QTableWidgetItem(text);
    grid->setItem(row, column, item);
}

void setHeaders(QTableWidget* grid, const QStringList& captions) {
    grid->setColumnCount(static_cast<int>(captions.size()));
    grid->setHorizontalHeaderLabels(captions);
}

// The kind filter's entries: all kinds, then each kind.
constexpr std::array<std::optional<ReadingKind>, 4> kKindFilter = {
    std::nullopt, ReadingKind::Archive, ReadingKind::Messages, ReadingKind::Monitoring};

}  // namespace

THistorie::THistorie(StationPort& port, ProgramContext& program, const QString& databasePath,
                     QWidget* parent)
    : QDialog(parent),
      ui(std::make_unique<Ui::THistorie>()),
      port_(port),
      program_(program),
      db_(databasePath) {
    ui->setupUi(this);
    for (QTableWidget* grid : {ui->g_stanice, ui->g_cteni}) {
        grid->verticalHeader()->hide();
        grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 8);
        grid->horizontalHeader()->setStretchLastSection(true);
        grid->horizontalHeader()->setHighlightSections(false);
    }
    ui->de_od->setDate(QDate(2000, 1, 1));
    for (std::size_t i = 0; i < kKindFilter.size(); ++i) {
        ui->cb_druh->addItem(QString());
    }
    ui->sp_historie->setStretchFactor(1, 1);
    connect(ui->g_stanice, &QTableWidget::itemSelectionChanged, this, &THistorie::stationChanged);
    connect(ui->g_cteni, &QTableWidget::cellDoubleClicked, this, &THistorie::b_otevritClick);
    connect(ui->cb_druh, &QComboBox::currentIndexChanged, this, &THistorie::fillReadings);
    connect(ui->de_od, &QDateEdit::dateChanged, this, &THistorie::fillReadings);
    connect(ui->b_otevrit, &QPushButton::clicked, this, &THistorie::b_otevritClick);
    connect(ui->b_export, &QPushButton::clicked, this, &THistorie::b_exportClick);
    connect(ui->b_close, &QPushButton::clicked, this, &QDialog::reject);
    setCaptions();
    open_ = db_.open();
    if (!open_) {
        setStatus(txt(kTextTheHistoryCannotBe).arg(db_.error()));
    }
    refresh();
}

THistorie::~THistorie() = default;

void THistorie::setCaptions() {
    setWindowTitle(txt(kTextReadingHistory));
    ui->l_druh->setText(txt(kTextKind) + QLatin1Char(':'));
    ui->l_od->setText(txt(kTextSince) + QLatin1Char(':'));
    ui->cb_druh->setItemText(0, txt(kTextAllKinds));
    for (std::size_t i = 1; i < kKindFilter.size(); ++i) {
        ui->cb_druh->setItemText(static_cast<int>(i), readingKindCaption(*kKindFilter[i]));
    }
    ui->gb_stanice->setTitle(txt(kTextStations));
    ui->gb_cteni->setTitle(txt(kTextReadings));
    setHeaders(ui->g_stanice, {txt(kTextSerialNumber1205), txt(kTextName1206),
                               txt(kTextAddress1207), txt(kTextReadings1208), txt(kTextLastRead)});
    setHeaders(ui->g_cteni,
               {txt(kTextReadAt), txt(kTextKind), txt(kTextStationTime), txt(kTextContents)});
    ui->b_otevrit->setText(txt(kTextOpen));
    ui->b_export->setText(txt(kTextExportSelectionToCSV));
    ui->b_close->setText(txt(kTextClose));
}

void THistorie::setStatus(const QString& text) {
    ui->StatusBar1->showMessage(text);
}

QString THistorie::statusText() const {
    return ui->StatusBar1->currentMessage();
}

void THistorie::refresh() {
    const int chosen = ui->g_stanice->currentRow();
    stations_ = open_ ? db_.stations() : std::vector<StoredStation>{};
    QTableWidget* grid = ui->g_stanice;
    {
        const QSignalBlocker block(grid);
        grid->setRowCount(static_cast<int>(stations_.size()));
        for (int r = 0; r < grid->rowCount(); ++r) {
            const StoredStation& s = stations_[static_cast<std::size_t>(r)];
            setCell(grid, r, 0, QString::number(s.key.serial));
            setCell(grid, r, 1, s.key.name);
            setCell(grid, r, 2, QString::number(s.key.address));
            setCell(grid, r, 3, QString::number(s.readings));
            setCell(grid, r, 4, s.lastRead.toString(QStringLiteral("yyyy-MM-dd hh:mm")));
        }
        grid->resizeColumnsToContents();
        if (!stations_.empty()) {
            grid->selectRow(std::clamp(chosen, 0, grid->rowCount() - 1));
        }
    }
    if (open_ && stations_.empty()) {
        setStatus(txt(kTextTheHistoryIsEmpty));
    }
    stationChanged();
}

void THistorie::stationChanged() {
    fillReadings();
}

void THistorie::fillReadings() {
    readings_.clear();
    const int row = ui->g_stanice->currentRow();
    if (open_ && row >= 0 && row < static_cast<int>(stations_.size())) {
        ReadingFilter filter;
        filter.serial = stations_[static_cast<std::size_t>(row)].key.serial;
        filter.kind = kKindFilter[static_cast<std::size_t>(
            std::clamp(ui->cb_druh->currentIndex(), 0, static_cast<int>(kKindFilter.size()) - 1))];
        filter.since = QDateTime(ui->de_od->date(), QTime(0, 0));
        readings_ = db_.readings(filter);
    }
    QTableWidget* grid = ui->g_cteni;
    grid->clearSelection();
    grid->setRowCount(static_cast<int>(readings_.size()));
    for (int r = 0; r < grid->rowCount(); ++r) {
        const StoredReading& reading = readings_[static_cast<std::size_t>(r)];
        setCell(grid, r, 0, reading.readAt.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));
        setCell(grid, r, 1, readingKindCaption(reading.kind));
        setCell(grid, r, 2, historyTimeText(reading.stationTime));
        setCell(grid, r, 3, readingContents(reading));
    }
    grid->resizeColumnsToContents();
    if (!readings_.empty()) {
        grid->selectRow(0);
    }
    ui->b_otevrit->setEnabled(!readings_.empty());
    ui->b_export->setEnabled(!readings_.empty());
}

std::vector<StoredReading> THistorie::selectedReadings() const {
    std::vector<StoredReading> out;
    for (int r = 0; r < ui->g_cteni->rowCount(); ++r) {
        const QTableWidgetItem* item = ui->g_cteni->item(r, 0);
        if (item && item->isSelected() && r < static_cast<int>(readings_.size())) {
            out.push_back(readings_[static_cast<std::size_t>(r)]);
        }
    }
    return out;
}

void THistorie::b_otevritClick() {
    const int row = ui->g_cteni->currentRow();
    if (row >= 0 && row < static_cast<int>(readings_.size())) {
        openReading(readings_[static_cast<std::size_t>(row)]);
    }
}

void THistorie::openReading(const StoredReading& reading) {
    // Which reading it is: the station and when it was read.
    const QString source = QStringLiteral("%1  %2")
                               .arg(reading.station.serial)
                               .arg(reading.readAt.toString(QStringLiteral("yyyy-MM-dd hh:mm")));
    switch (reading.kind) {
        case ReadingKind::Archive: {
            const std::vector<ArchiveEntry> rows = db_.archiveRows(reading.id);
            TArchiv form(port_, program_, this);
            form.openStored(storedArchiveTexts(reading, rows), storedArchivePosition(rows),
                            storedStationClock(reading), source);
            form.exec();
            break;
        }
        case ReadingKind::Messages: {
            THlaseni form(port_, program_, this);
            form.openStored(db_.messageLog(reading.id));
            form.exec();
            break;
        }
        case ReadingKind::Monitoring: {
            const auto bytes = db_.monitoring(reading.id);
            TSledDat view(port_, program_, this);
            if (bytes &&
                view.openFromBytes(bytes->mon, bytes->con, source, reading.station.serial)) {
                view.exec();
            }
            break;
        }
    }
}

void THistorie::b_exportClick() {
    const std::vector<StoredReading> chosen = selectedReadings();
    if (chosen.empty()) {
        return;
    }
    FileDialogSpec spec;
    spec.title = txt(kTextExportSelectionToCSV);
    spec.filter = QStringLiteral("CSV (*.csv)|*.csv|All files (*.*)|*.*");
    spec.defaultExtension = QStringLiteral("csv");
    spec.initialName = QStringLiteral("history-%1.csv").arg(chosen.front().station.serial);
    spec.confirmOverwrite = true;
    const QString path = program_.prompts().saveFile(spec);
    if (path.isEmpty()) {
        return;
    }
    if (saveHistoryCsv(path, historyCsv(db_, chosen), program_.prompts())) {
        setStatus(txt(kTextReadingsExported).arg(chosen.size()));
    }
}

}  // namespace pelmo
