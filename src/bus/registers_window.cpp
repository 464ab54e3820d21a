#include "bus/registers_window.h"

#include <QShowEvent>
#include <QTimer>

#include "base/prompts.h"
#include "base/texts.h"
#include "ui_registers_window.h"
#include "widgets/grid_cells.h"

namespace pelmo {

TRegistryForm::TRegistryForm(StationPort& port, ProgramContext& program, QWidget* parent)
    : QDialog(parent),
      ui(std::make_unique<Ui::TRegistryForm>()),
      reader_(port, program.link, program.prompts(), *this) {
    ui->setupUi(this);
    prepareFixedGrid(ui->StringGrid1, 1, 1);
    prepareFixedGrid(ui->StringGrid2, 1, 1);
    connect(ui->refreshBtn, &QPushButton::clicked, this, &TRegistryForm::refreshBtnClick);
    connect(ui->OKBtn, &QPushButton::clicked, this, &TRegistryForm::OKBtnClick);
}

TRegistryForm::~TRegistryForm() = default;

void TRegistryForm::setCaptions() {
    setWindowTitle(txt(kTextSystemRegisters));
    ui->Label1->setText(txt(kTextSystemRegisters));
    for (int row = 1; row <= 8; ++row) {
        setGridCell(ui->StringGrid1, row, 0, txt(circuitRowText(row - 1)));
    }
    for (int row = 1; row <= 3; ++row) {
        setGridCell(ui->StringGrid2, row, 0, txt(condensateRowText(row - 1)));
    }
    setGridCell(ui->StringGrid1, 0, 1, txt(kTextCircuitNo1));
    setGridCell(ui->StringGrid1, 0, 2, txt(kTextCircuitNo2));
    setGridCell(ui->StringGrid2, 0, 1, txt(kTextCircuitNo3));
    ui->OKBtn->setText(txt(kTextClose));
    ui->refreshBtn->setText(txt(kTextRefresh));
}

void TRegistryForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    fitGrids();
    if (!started_) {
        started_ = true;
        FormShow();
    }
}

void TRegistryForm::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    fitGrids();
}

void TRegistryForm::fitGrids() {
    fitGridColumns(ui->StringGrid1, {1.0 / 3, 1.0 / 3, 1.0 / 3}, -1);
    fitGridColumns(ui->StringGrid2, {0.5, 0.5}, -1);
}

void TRegistryForm::FormShow() {
    setCaptions();
    fitGrids();
    reader_.read(false);
}

void TRegistryForm::refreshBtnClick() {
    if (!reader_.running()) {
        reader_.read(true);
    }
}

void TRegistryForm::OKBtnClick() {
    reject();
}

void TRegistryForm::registersStatus(const QString& text) {
    ui->StatusBar1->showMessage(text);
}

void TRegistryForm::clearTrafficLog() {
    if (clearLog_) {
        clearLog_();
    }
}

void TRegistryForm::readRunning(bool running) {
    ui->refreshBtn->setEnabled(!running);
}

void TRegistryForm::registersRead(const RegisterValues& v) {
    for (int row = 1; row <= 8; ++row) {
        const std::size_t i = static_cast<std::size_t>(row - 1);
        setGridCell(ui->StringGrid1, row, 1, registerText(v.circuit1[i]));
        setGridCell(ui->StringGrid1, row, 2, registerText(v.circuit2[i]));
    }
    for (int row = 1; row <= 3; ++row) {
        setGridCell(ui->StringGrid2, row, 1,
                    registerText(v.condensate[static_cast<std::size_t>(row - 1)]));
    }
}

void TRegistryForm::registersEnded(Ending ending) {
    if (ending == Ending::Failed) {
        // Leave the completion handler before the window goes.
        QTimer::singleShot(0, this, &QDialog::reject);
    }
}

}  // namespace pelmo
