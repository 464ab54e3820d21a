#include "bus/maximum_window.h"

#include <QHeaderView>
#include <QShowEvent>
#include <QTimer>
#include <algorithm>
#include <cmath>

#include "base/prompts.h"
#include "base/texts.h"
#include "ui_maximum_window.h"
#include "widgets/grid_cells.h"

namespace pelmo {

TMaximum::TMaximum(StationPort& port, ProgramContext& program, QWidget* parent)
    : QDialog(parent),
      ui(std::make_unique<Ui::TMaximum>()),
      reader_(port, program.link, program.prompts(), *this) {
    ui->setupUi(this);
    prepareFixedGrid(ui->StringGrid1, 1, 1);
    prepareFixedGrid(ui->StringGrid2, 1, 1);
    for (QLabel* l : {ui->Label2, ui->Label3, ui->Label4, ui->Label5}) {
        l->setText(QStringLiteral("N/A"));
    }
    connect(ui->OKBtn, &QPushButton::clicked, this, &TMaximum::OKBtnClick);
}

TMaximum::~TMaximum() = default;

void TMaximum::setCaptions() {
    setWindowTitle(txt(kText15MinMaximum322));
    ui->Label1->setText(txt(kText15MinMaximum322));
    for (QTableWidget* grid : {ui->StringGrid1, ui->StringGrid2}) {
        setGridCell(grid, 1, 0, txt(kTextCurrentStatusGJ));
        setGridCell(grid, 2, 0, txt(kTextMaximumValueGJ));
    }
    setGridCell(ui->StringGrid1, 0, 1, txt(kTextCircuitNo1));
    setGridCell(ui->StringGrid2, 0, 1, txt(kTextCircuitNo2));
    // "Zavřít" in Czech; the shared close text keeps English windows English.
    ui->OKBtn->setText(txt(kTextClose));
}

void TMaximum::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    fitGrids();
    if (!started_) {
        started_ = true;
        FormShow();
    }
}

void TMaximum::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    fitGrids();
}

void TMaximum::fitGrids() {
    for (QTableWidget* grid : {ui->StringGrid1, ui->StringGrid2}) {
        // Column 0 is half the grid, so the grid is at least twice its widest column: then
        // neither the captions nor the circuit headers are cut, in either language.
        const QAbstractItemView* view = grid;
        const int widest = std::max(view->sizeHintForColumn(0), view->sizeHintForColumn(1));
        grid->setMinimumWidth(2 * widest + 2 * grid->frameWidth());
        grid->setWordWrap(false);
        grid->horizontalHeader()->setStretchLastSection(true);
        grid->verticalHeader()->setSectionResizeMode(QHeaderView::Stretch);
        grid->setColumnWidth(0, static_cast<int>(std::lround(grid->viewport()->width() / 2.0)));
    }
}

void TMaximum::FormShow() {
    setCaptions();
    fitGrids();
    reader_.start();
}

void TMaximum::OKBtnClick() {
    accept();
}

void TMaximum::maximumStatus(const QString& text) {
    ui->StatusBar1->showMessage(text);
}

void TMaximum::maximumRead(const MaximumValues& v) {
    setGridCell(ui->StringGrid1, 1, 1, maximumText(v.current1));
    setGridCell(ui->StringGrid1, 2, 1, maximumText(v.maximum1));
    setGridCell(ui->StringGrid2, 1, 1, maximumText(v.current2));
    setGridCell(ui->StringGrid2, 2, 1, maximumText(v.maximum2));
    ui->Label2->setText(maximumTimeText(v.time1));
    ui->Label3->setText(maximumDateText(v.time1));
    ui->Label4->setText(maximumTimeText(v.time2));
    ui->Label5->setText(maximumDateText(v.time2));
    fitGrids();
}

void TMaximum::maximumEnded(Ending ending) {
    if (ending == Ending::Failed) {
        QTimer::singleShot(0, this, &QDialog::reject);
    }
}

}  // namespace pelmo
