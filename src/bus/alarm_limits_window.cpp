#include "bus/alarm_limits_window.h"

#include <QHeaderView>
#include <QShowEvent>
#include <algorithm>
#include <cmath>

#include "base/prompts.h"
#include "base/texts.h"
#include "ui_alarm_limits_window.h"
#include "widgets/grid_cells.h"

namespace pelmo {

namespace {
constexpr int kProgressIntervalMs = 10;
constexpr int kFirstColumn = 40;
}  // namespace

TMezAlarmu::TMezAlarmu(StationPort& port, ProgramContext& program, MainWindow main, QWidget* parent)
    : QDialog(parent),
      ui(std::make_unique<Ui::TMezAlarmu>()),
      program_(program),
      limits_(port, program.link, program.prompts(), *this),
      main_(std::move(main)) {
    ui->setupUi(this);
    prepareFixedGrid(ui->StringGrid1, 1, 1);
    ui->StringGrid1->setWordWrap(false);
    ui->StringGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    // The bar keeps its place while hidden, so the group box stays put on every save.
    QSizePolicy keep = ui->ProgressBar1->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    ui->ProgressBar1->setSizePolicy(keep);
    ui->ProgressBar1->hide();
    progress_.setInterval(kProgressIntervalMs);
    connect(&progress_, &QTimer::timeout, this, [this] {
        ui->ProgressBar1->setValue(
            std::min(limits_.link().rx->count(), ui->ProgressBar1->maximum()));
    });
    // The channel follows the current row however it moves: mouse, arrows, Home/End, Tab.
    connect(ui->StringGrid1, &QTableWidget::currentCellChanged, this,
            [this](int row, int column) { StringGrid1SelectCell(row, column); });
    connect(ui->ch_Inv, &QCheckBox::clicked, this, &TMezAlarmu::ch_InvMouseUp);
    connect(ui->b_save, &QPushButton::clicked, this, &TMezAlarmu::b_saveClick);
    connect(ui->b_close, &QPushButton::clicked, this, &TMezAlarmu::b_closeClick);
    resetNewStation(limits_.image());
}

TMezAlarmu::~TMezAlarmu() {
    progress_.stop();
}

void TMezAlarmu::setCaptions() {
    setWindowTitle(txt(kTextAlarmTresholdChange));
    ui->Label1->setText(txt(kTextAlarmTresholdChange));
    setGridCell(ui->StringGrid1, 0, 1, txt(kTextName));
    setGridCell(ui->StringGrid1, 0, 2, txt(kTextText));
    setGridCell(ui->StringGrid1, 0, 3, txt(kTextInput));
    setGridCell(ui->StringGrid1, 0, 4, txt(kTextOutput));
    ui->GroupBox1->setTitle(QStringLiteral(" Ch. %1 ").arg(channel_));
    ui->l_minHodnotaLabel->setText(txt(kTextMinValue));
    ui->l_maxHodnotaLabel->setText(txt(kTextMaxValue));
    ui->l_minMezeLabel->setText(txt(kTextLowLimit));
    ui->l_maxMezeLabel->setText(txt(kTextHighLimit));
    ui->ch_Inv->setText(txt(kTextInvertOutputValues));
    ui->b_save->setText(txt(kTextSave));
    ui->b_close->setText(txt(kTextClose));
}

void TMezAlarmu::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    fitGrid();
    if (!started_) {
        started_ = true;
        FormShow();
    }
}

void TMezAlarmu::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    fitGrid();
}

void TMezAlarmu::fitGrid() {
    QTableWidget* grid = ui->StringGrid1;
    // Column 0 holds the main window's row labels ("7. CH*"): at least 40 pixels, never
    // narrower than its widest label, and never wrapped.
    grid->resizeColumnToContents(0);
    const int first = std::max(kFirstColumn, grid->columnWidth(0));
    const double share = (grid->viewport()->width() - first) / 13.0;
    grid->setColumnWidth(0, first);
    for (int c = 1; c <= 3; ++c) {
        grid->setColumnWidth(c, static_cast<int>(std::lround(share * 3)));
    }
    grid->setColumnWidth(4, static_cast<int>(std::lround(share * 4)) - 8);
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    grid->horizontalHeader()->setStretchLastSection(true);
}

void TMezAlarmu::FormShow() {
    setCaptions();
    fitGrid();
    ui->StringGrid1->clearSelection();
    ui->ProgressBar1->setValue(0);
    ui->ProgressBar1->show();
    progress_.start();
    limits_.read();
}

void TMezAlarmu::stopProgress() {
    progress_.stop();
    ui->ProgressBar1->hide();
    ui->ProgressBar1->setValue(0);
}

void TMezAlarmu::alarmStatus(const QString& text) {
    ui->StatusBar1->showMessage(text);
}

void TMezAlarmu::configurationRead() {
    if (main_.showStation) {
        main_.showStation();
    }
    ui->StringGrid1->setEnabled(true);
    stopProgress();
    fillGrid();
    fitGrid();
    if (!anyOutputDefined(limits_.image())) {
        program_.prompts().warning(txt(kTextNoOutputDefined));
    }
}

void TMezAlarmu::fillGrid() {
    const StationImage& img = limits_.image();
    for (int r = 1; r <= kChannelCount; ++r) {
        for (int c = 0; c <= 4; ++c) {
            if (c > 0) {
                setGridCell(ui->StringGrid1, r, c, QString());
            }
        }
        if (!img.channel(r).in_use) {
            continue;
        }
        for (int c = 0; c <= 3; ++c) {
            setGridCell(ui->StringGrid1, r, c,
                        main_.channelCell ? main_.channelCell(r, c) : QString());
        }
        setGridCell(ui->StringGrid1, r, 4, alarmOutputText(img.channel(r).output_code));
    }
}

void TMezAlarmu::setEditable(bool on) {
    for (QWidget* w :
         std::initializer_list<QWidget*>{ui->l_minHodnota, ui->l_maxHodnota, ui->l_minMeze,
                                         ui->l_maxMeze, ui->ch_Inv, ui->b_save}) {
        w->setEnabled(on);
    }
}

void TMezAlarmu::StringGrid1SelectCell(int row, int) {
    if (row < 1 || row > kChannelCount || limits_.running()) {
        return;
    }
    channel_ = row;
    ui->GroupBox1->setTitle(QStringLiteral(" Ch. %1 ").arg(row));
    const AlarmLimitBoxes b = alarmLimitBoxes(limits_.image(), row);
    setEditable(b.editable);
    ui->l_minHodnota->setText(b.minValue);
    ui->l_maxHodnota->setText(b.maxValue);
    ui->l_minMeze->setText(b.lowLimit);
    ui->l_maxMeze->setText(b.highLimit);
    ui->ch_Inv->setChecked(b.inverse);
}

void TMezAlarmu::ch_InvMouseUp() {
    definice_PV_rec& s = limits_.image().channel(channel_);
    s.output_code = withInverse(s.output_code, ui->ch_Inv->isChecked());
    setGridCell(ui->StringGrid1, channel_, 4, alarmOutputText(s.output_code));
}

void TMezAlarmu::b_saveClick() {
    if (limits_.running()) {
        return;
    }
    ui->ProgressBar1->setValue(0);
    ui->ProgressBar1->show();
    ui->StringGrid1->setEnabled(false);
    AlarmLimitBoxes b;
    b.minValue = ui->l_minHodnota->text();
    b.maxValue = ui->l_maxHodnota->text();
    b.lowLimit = ui->l_minMeze->text();
    b.highLimit = ui->l_maxMeze->text();
    if (!storeAlarmLimits(b, channel_, limits_.image(), program_.prompts())) {
        // Nothing was sent: the grid is usable again.
        ui->ProgressBar1->hide();
        ui->StringGrid1->setEnabled(true);
        return;
    }
    ui->b_save->setEnabled(false);
    limits_.save(channel_);
}

void TMezAlarmu::channelSaved() {
    ui->ProgressBar1->hide();
    ui->ProgressBar1->setValue(0);
    ui->StringGrid1->setEnabled(true);
    ui->b_save->setEnabled(true);
}

void TMezAlarmu::progressStep(int amount) {
    ui->ProgressBar1->setValue(
        std::min(ui->ProgressBar1->value() + amount, ui->ProgressBar1->maximum()));
}

void TMezAlarmu::alarmFailed() {
    stopProgress();
    ui->b_save->setEnabled(true);
    QTimer::singleShot(0, this, &QDialog::reject);
}

void TMezAlarmu::b_closeClick() {
    reject();
}

void TMezAlarmu::done(int result) {
    progress_.stop();
    QDialog::done(result);
}

}  // namespace pelmo
