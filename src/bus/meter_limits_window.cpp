#include "bus/meter_limits_window.h"

#include <QAction>
#include <QShowEvent>
#include <QTimer>

#include "base/prompts.h"
#include "base/texts.h"
#include "files/program_settings.h"
#include "services/access_mode.h"
#include "ui_meter_limits_window.h"
#include "widgets/grid_cells.h"

namespace pelmo {

namespace {

void fillColumn(QTableWidget* grid, int column, const MeterLimitColumn& texts) {
    for (int r = 0; r < kMeterLimitRows; ++r) {
        setGridCell(grid, r, column, texts[static_cast<std::size_t>(r)]);
    }
}

MeterLimitColumn readColumn(const QTableWidget* grid) {
    MeterLimitColumn texts;
    for (int r = 0; r < kMeterLimitRows; ++r) {
        texts[static_cast<std::size_t>(r)] = gridCellText(grid, r, 1);
    }
    return texts;
}

}  // namespace

TMezMeridla::TMezMeridla(StationPort& port, ProgramContext& program, QWidget* parent)
    : QDialog(parent),
      ui(std::make_unique<Ui::TMezMeridla>()),
      program_(program),
      limits_(port, program.link, program.prompts(), *this) {
    ui->setupUi(this);
    prepareFixedGrid(ui->StringGrid1, 0, 1);
    prepareFixedGrid(ui->StringGrid2, 0, 1);
    pwd_ = new QAction(this);
    pwd_->setObjectName(QStringLiteral("Pwd1"));
    pwd_->setShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_H));
    addAction(pwd_);
    connect(pwd_, &QAction::triggered, this, [this] {
        if (openPassword_) {
            openPassword_();
        }
    });
    connect(ui->b_refresh, &QPushButton::clicked, this, &TMezMeridla::b_refreshClick);
    connect(ui->b_save, &QPushButton::clicked, this, &TMezMeridla::b_saveClick);
    connect(ui->b_close, &QPushButton::clicked, this, &TMezMeridla::b_closeClick);
}

TMezMeridla::~TMezMeridla() = default;

void TMezMeridla::setCaptions() {
    ui->Label1->setText(txt(kTextChangeGaugeLimits));
    setWindowTitle(txt(kTextChangeGaugeLimits));
    fillColumn(ui->StringGrid1, 0, meterLimitCaptions1());
    fillColumn(ui->StringGrid2, 0, meterLimitCaptions2(program_.settings.isGasVersion()));
    ui->b_close->setText(txt(kTextClose));
    ui->b_save->setText(txt(kTextSave));
    ui->b_refresh->setText(txt(kTextRefresh));
}

void TMezMeridla::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    fitGrids();
    if (!started_) {
        started_ = true;
        FormShow();
    }
}

void TMezMeridla::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    fitGrids();
}

void TMezMeridla::fitGrids() {
    for (QTableWidget* grid : {ui->StringGrid1, ui->StringGrid2}) {
        fitGridColumns(grid, {0.5, 0.5}, -1);
    }
}

void TMezMeridla::FormShow() {
    setCaptions();
    fitGrids();
    switch (accessMode()) {
        case AccessMode::User:
            setWindowTitle(windowTitle() + QStringLiteral("(*USER mode*)"));
            break;
        case AccessMode::Admin:
            setWindowTitle(windowTitle() + QStringLiteral("(*ADMIN mode*)"));
            break;
        default:
            break;
    }
    resetNewStation(limits_.image());
    ui->StringGrid1->clearSelection();
    ui->StringGrid2->clearSelection();
    meterStatus(txt(kTextInitializingConnection));
    limits_.read();
}

void TMezMeridla::setButtons(bool on) {
    ui->b_save->setEnabled(on);
    ui->b_refresh->setEnabled(on);
}

void TMezMeridla::b_refreshClick() {
    if (limits_.running()) {
        return;
    }
    setButtons(false);
    limits_.read();
}

void TMezMeridla::b_saveClick() {
    if (limits_.running()) {
        return;
    }
    setButtons(false);
    // A cell still being typed into counts.
    ui->StringGrid1->setCurrentItem(nullptr);
    ui->StringGrid2->setCurrentItem(nullptr);
    MeterLimitEntry entry;
    if (!checkMeterLimits(readColumn(ui->StringGrid1), readColumn(ui->StringGrid2),
                          program_.settings.isGasVersion(), program_.prompts(), entry)) {
        setButtons(true);
        return;
    }
    limits_.write(entry);
}

void TMezMeridla::b_closeClick() {
    reject();
}

void TMezMeridla::meterStatus(const QString& text) {
    ui->StatusBar1->showMessage(text);
}

void TMezMeridla::meterRead() {
    const definice_meridla_rec& m = limits_.image().meter;
    fillColumn(ui->StringGrid1, 1, meterLimitValues1(m));
    fillColumn(ui->StringGrid2, 1, meterLimitValues2(m));
    setButtons(true);
}

void TMezMeridla::meterWritten() {
    setButtons(true);
}

void TMezMeridla::meterFailed(bool closing) {
    setButtons(false);
    if (closing) {
        QTimer::singleShot(0, this, &QDialog::reject);
    }
}

}  // namespace pelmo
