#include "bus/search_window.h"

#include <QHeaderView>
#include <QMenuBar>
#include <QShowEvent>
#include <algorithm>
#include <cmath>

#include "base/prompts.h"
#include "base/texts.h"
#include "bus/address_map.h"
#include "ui_search_window.h"
#include "widgets/grid_cells.h"

namespace pelmo {

namespace {

constexpr int kRowsPerGrid = 16;
constexpr int kGridRows = kRowsPerGrid + 1;
// Address, name and row label columns share the grid's width plus this much.
constexpr int kShareExtra = 12;

// Every one of the 17 rows must show a line of text, whatever the font: the grid never gets
// less height than that, so no row is pushed out of sight when the progress bar takes room.
void reserveRows(QTableWidget* grid) {
    const int row = grid->fontMetrics().height() + 4;
    grid->verticalHeader()->setMinimumSectionSize(row);
    grid->setMinimumHeight(kGridRows * row + 2 * grid->frameWidth());
}

}  // namespace

TVyhledani::TVyhledani(StationPort& port, ProgramContext& program, QWidget* parent)
    : QDialog(parent),
      ui(std::make_unique<Ui::TVyhledani>()),
      program_(program),
      search_(port, program.link, program.prompts(), *this) {
    ui->setupUi(this);
    auto* bar = new QMenuBar(this);
    layout()->setMenuBar(bar);
    exportMenu_ = bar->addMenu(QStringLiteral("Export"));
    exportMenu_->setObjectName(QStringLiteral("Export"));
    exportAction_ = exportMenu_->addAction(QString());
    exportAction_->setObjectName(QStringLiteral("Export1"));
    connect(exportAction_, &QAction::triggered, this, &TVyhledani::Export1Click);
    connect(ui->b_Stop, &QPushButton::clicked, this, &TVyhledani::b_StopClick);
    connect(ui->b_close, &QPushButton::clicked, this, &TVyhledani::b_closeClick);

    for (QTableWidget* grid : {ui->StringGrid1, ui->StringGrid2}) {
        prepareFixedGrid(grid, 1, 1);
        grid->setWordWrap(false);
        reserveRows(grid);
        // The layout may resize a grid without resizing the window.
        grid->installEventFilter(this);
    }
    for (int r = 1; r <= kRowsPerGrid; ++r) {
        setGridCell(ui->StringGrid1, r, 0, QStringLiteral("%1.").arg(r));
        setGridCell(ui->StringGrid2, r, 0, QStringLiteral("%1.").arg(r + kRowsPerGrid));
    }
    AddressSearch::clearFound(search_.image());
    ui->b_Stop->setText(QStringLiteral("Stop"));
}

TVyhledani::~TVyhledani() {
    search_.restoreAddress();
}

void TVyhledani::setEntriesChanged(std::function<void()> changed) {
    entriesChanged_ = std::move(changed);
    // The entries of an earlier search are gone.
    if (entriesChanged_) {
        entriesChanged_();
    }
}

void TVyhledani::setCaptions() {
    setWindowTitle(txt(kTextStationAddressDetection));
    ui->Label1->setText(txt(kTextStationAddressDetection));
    for (QTableWidget* grid : {ui->StringGrid1, ui->StringGrid2}) {
        setGridCell(grid, 0, 1, txt(kTextAddress));
        setGridCell(grid, 0, 2, txt(kTextHead));
    }
    exportAction_->setText(txt(kTextExportToFile));
    ui->b_close->setText(txt(kTextClose));
}

void TVyhledani::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    fitGrids();
    if (!started_) {
        started_ = true;
        FormShow();
    }
}

void TVyhledani::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    fitGrids();
}

bool TVyhledani::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize &&
        (watched == ui->StringGrid1 || watched == ui->StringGrid2)) {
        fitGrids();
    }
    return QDialog::eventFilter(watched, event);
}

void TVyhledani::fitGrids() {
    static constexpr double kShares[] = {0.1, 0.4, 0.4};
    for (QTableWidget* grid : {ui->StringGrid1, ui->StringGrid2}) {
        // The columns keep their shares; the grid is made wide enough that each share holds
        // its texts (the row labels "32.", the headers, the names found so far).
        const QAbstractItemView* view = grid;
        int needed = 0;
        for (int c = 0; c < 3; ++c) {
            needed = std::max(
                needed,
                static_cast<int>(std::ceil(view->sizeHintForColumn(c) / kShares[c])) - kShareExtra);
        }
        if (grid->minimumWidth() < needed) {
            grid->setMinimumWidth(needed);
        }
        const double base = grid->width() + kShareExtra;
        grid->horizontalHeader()->setMinimumSectionSize(1);
        for (int c = 0; c < 3; ++c) {
            grid->setColumnWidth(c, static_cast<int>(std::lround(base * kShares[c])));
        }
        grid->horizontalHeader()->setStretchLastSection(false);
        grid->verticalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    }
}

void TVyhledani::FormShow() {
    setCaptions();
    fitGrids();
    ui->StringGrid1->clearSelection();
    ui->StringGrid2->clearSelection();
    exportMenu_->setEnabled(false);
    ui->ProgressBar1->setValue(0);
    ui->ProgressBar1->show();
    search_.start();
}

void TVyhledani::searchStatus(const QString& text) {
    ui->StatusBar1->showMessage(text);
}

void TVyhledani::probing(int address) {
    ui->ProgressBar1->setValue(std::min(address, ui->ProgressBar1->maximum()));
}

void TVyhledani::addressAnswered(int found, int address) {
    QTableWidget* grid = found <= kRowsPerGrid ? ui->StringGrid1 : ui->StringGrid2;
    const int row = found <= kRowsPerGrid ? found : found - kRowsPerGrid;
    setGridCell(grid, row, 1, address == 0 ? QString() : QString::number(address));
}

void TVyhledani::stationFound(int found, int, const QString& name) {
    QTableWidget* grid = found <= kRowsPerGrid ? ui->StringGrid1 : ui->StringGrid2;
    const int row = found <= kRowsPerGrid ? found : found - kRowsPerGrid;
    setGridCell(grid, row, 2, name);
    fitGrids();
    if (entriesChanged_) {
        entriesChanged_();
    }
}

void TVyhledani::searchEnded() {
    exportMenu_->setEnabled(true);
    ui->ProgressBar1->hide();
}

void TVyhledani::b_StopClick() {
    search_.stop();
}

void TVyhledani::b_closeClick() {
    reject();
}

void TVyhledani::done(int result) {
    search_.restoreAddress();
    QDialog::done(result);
}

void TVyhledani::Export1Click() {
    ui->ProgressBar1->hide();
    FileDialogSpec spec;
    spec.filter = QStringLiteral("AddressMap (*.map)|*.map|All files (*.*)|*.*");
    spec.defaultExtension = QStringLiteral("map");
    spec.initialDir = QStringLiteral("./");
    spec.confirmOverwrite = true;
    const QString file = program_.prompts().saveFile(spec);
    if (file.isEmpty()) {
        return;
    }
    // A failure has shown the file error box.
    saveAddressMap(file, search_.image().address_list, program_.prompts());
}

}  // namespace pelmo
