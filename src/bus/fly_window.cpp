#include "bus/fly_window.h"

#include <QLineEdit>
#include <QShowEvent>
#include <QTimer>

#include "base/field_check.h"
#include "base/prompts.h"
#include "base/texts.h"
#include "ui_fly_window.h"
#include "widgets/grid_cells.h"

namespace pelmo {

TLetMer::TLetMer(StationPort& port, ProgramContext& program, QWidget* parent)
    : QDialog(parent),
      ui(std::make_unique<Ui::TLetMer>()),
      program_(program),
      fly_(port, program.link, program.prompts(), *this) {
    ui->setupUi(this);
    prepareFixedGrid(ui->StringGrid1, 0, 1);
    prepareFixedGrid(ui->StringGrid2, 0, 1);
    // The circuit is chosen with the arrows only.
    if (auto* edit = ui->s_pasmo->findChild<QLineEdit*>()) {
        edit->setReadOnly(true);
    }
    ui->Gauge1->hide();
    connect(ui->s_pasmo, &QSpinBox::valueChanged, this, &TLetMer::spinChange);
    connect(ui->s_pocet, &QSpinBox::textChanged, this, &TLetMer::spinChange);
    connect(ui->cb_nul, &QCheckBox::clicked, this, &TLetMer::cb_nulClick);
    connect(ui->b_read, &QPushButton::clicked, this, &TLetMer::b_readClick);
    connect(ui->b_cancel, &QPushButton::clicked, this, &TLetMer::b_cancelClick);
    connect(ui->b_close, &QPushButton::clicked, this, &TLetMer::b_closeClick);
}

TLetMer::~TLetMer() = default;

void TLetMer::setCaptions() {
    setWindowTitle(txt(kTextFlyingMeasurement297));
    ui->Label1->setText(txt(kTextFlyingMeasurement297));
    ui->GroupBox1->setTitle(txt(kTextStation));
    ui->Label3->setText(txt(kTextCircuit));
    ui->Label4->setText(txt(kTextNumber));
    ui->b_read->setText(txt(kTextReadData));
    ui->b_cancel->setText(txt(kTextBreak));
    ui->b_close->setText(txt(kTextClose));
    cb_nulClick();
    for (int r = 0; r < 10; ++r) {
        setGridCell(ui->StringGrid1, r, 0, txt(283 + r));
    }
    for (int r = 0; r < 3; ++r) {
        setGridCell(ui->StringGrid2, r, 0, txt(kTextDW));
    }
    setGridCell(ui->StringGrid2, 3, 0, txt(kTextEnthalpy294));
}

void TLetMer::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    fitGrids();
    if (!started_) {
        started_ = true;
        FormShow();
    }
}

void TLetMer::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    fitGrids();
}

void TLetMer::fitGrids() {
    fitGridColumns(ui->StringGrid1, {0.4, 0.6}, -1);
    fitGridColumns(ui->StringGrid2, {0.3, 0.7}, -1);
}

void TLetMer::FormShow() {
    setCaptions();
    fitGrids();
    ui->l_sec->setText(flySecondsText(fly_.intervalOf(1)));
    fly_.setup();
}

void TLetMer::showSeconds() {
    ui->l_sec->setText(
        flySecondsText(fly_.measuringSeconds(ui->s_pasmo->value(), ui->s_pocet->value())));
}

void TLetMer::spinChange() {
    const QString count = ui->s_pocet->cleanText();
    if (!count.isEmpty() && invalidPositions(count, FieldKind::Integer).isEmpty()) {
        showSeconds();
    }
}

void TLetMer::cb_nulClick() {
    ui->cb_nul->setText(txt(ui->cb_nul->isChecked() ? 278 : 279));
}

void TLetMer::b_readClick() {
    const int circuit = ui->s_pasmo->value();
    const int count = ui->s_pocet->value();
    ui->Gauge1->setValue(0);
    ui->Gauge1->setMaximum(static_cast<int>(fly_.measuringSeconds(circuit, count) + 3));
    if (!validateField(ui->s_pasmo->cleanText(), txt(kTextCircuit), FieldKind::Integer,
                       program_.prompts(), true) ||
        !validateField(ui->s_pocet->cleanText(), txt(kTextNumber), FieldKind::Integer,
                       program_.prompts(), true)) {
        return;
    }
    ui->b_read->setEnabled(false);
    ui->b_cancel->setEnabled(true);
    ui->b_cancel->setFocus();
    ui->Gauge1->show();
    fly_.startMeasurement(circuit, count, ui->cb_nul->isChecked());
}

void TLetMer::b_cancelClick() {
    fly_.cancel();
}

void TLetMer::b_closeClick() {
    reject();
}

void TLetMer::done(int result) {
    ui->Gauge1->hide();
    fly_.timer().stop();
    QDialog::done(result);
}

void TLetMer::flyStatus(const QString& text) {
    ui->StatusBar1->showMessage(text);
}

void TLetMer::setupDone() {
    ui->l_sec->setText(flySecondsText(fly_.intervalOf(1)));
    ui->b_read->setEnabled(true);
}

void TLetMer::gaugeStep() {
    ui->Gauge1->setValue(std::min(ui->Gauge1->value() + 1, ui->Gauge1->maximum()));
}

void TLetMer::phaseChanged(Phase phase) {
    if (phase == Phase::Idle) {
        ui->Gauge1->hide();
        ui->Gauge1->setValue(0);
        ui->b_read->setEnabled(true);
        ui->b_cancel->setEnabled(false);
    }
}

void TLetMer::resultsRead(const FlyValues& v) {
    for (int r = 0; r < 10; ++r) {
        setGridCell(ui->StringGrid1, r, 1, flyText(v[static_cast<std::size_t>(r)]));
    }
    const auto totals = flyTotals(v);
    for (int r = 0; r < 4; ++r) {
        setGridCell(ui->StringGrid2, r, 1, flyText(totals[static_cast<std::size_t>(r)]));
    }
}

void TLetMer::flyFailed(bool closing) {
    if (closing) {
        QTimer::singleShot(0, this, &QDialog::reject);
    }
    // Otherwise the window stays; "Přerušit" returns it to idle.
}

void TLetMer::flyBroken() {
    QTimer::singleShot(0, this, &QDialog::reject);
}

}  // namespace pelmo
