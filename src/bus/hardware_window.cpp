#include "bus/hardware_window.h"

#include <QShowEvent>

#include "base/cp1250.h"
#include "base/prompts.h"
#include "base/texts.h"
#include "ui_hardware_window.h"
#include "widgets/grid_cells.h"

namespace pelmo {

namespace {
constexpr int kProgressIntervalMs = 10;
}  // namespace

TInfoHW::TInfoHW(StationPort& port, ProgramContext& program, QWidget* parent)
    : QDialog(parent),
      ui(std::make_unique<Ui::TInfoHW>()),
      reader_(port, program.link, program.prompts(), *this) {
    ui->setupUi(this);
    resize(282, 433);
    prepareFixedGrid(ui->StringGrid1, 0, 1);
    prepareFixedGrid(ui->StringGrid2, 0, 1);
    ui->Label6->setEnabled(false);
    ui->l_verze->setEnabled(false);
    progress_.setInterval(kProgressIntervalMs);
    connect(&progress_, &QTimer::timeout, this, [this] {
        ui->ProgressBar1->setValue(
            std::min(reader_.link().rx->count(), ui->ProgressBar1->maximum()));
    });
    connect(ui->b_close, &QPushButton::clicked, this, &TInfoHW::b_closeClick);
}

TInfoHW::~TInfoHW() {
    progress_.stop();
}

void TInfoHW::setCaptions() {
    setWindowTitle(txt(kTextHWSystemInfo));
    ui->Title->setText(txt(kTextHWSystemInfo));
    ui->Label1->setText(txt(kTextSerialNumber));
    ui->Label2->setText(txt(kTextNetAddress));
    ui->Label3->setText(txt(kTextBufferSize));
    ui->Label4->setText(txt(kTextUnitLocked));
    ui->Label6->setText(txt(kTextUnitSWVersion));
    for (int r = 0; r < 8; ++r) {
        setGridCell(ui->StringGrid1, r, 0, txt(kTextChannel316) + QString::number(r + 1));
    }
    for (int r = 0; r < 4; ++r) {
        setGridCell(ui->StringGrid2, r, 0, txt(kTextFrequencyInput) + QString::number(r + 1));
    }
    ui->b_close->setText(txt(kTextClose));
}

void TInfoHW::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    fitGrids();
    if (!started_) {
        started_ = true;
        FormShow();
    }
}

void TInfoHW::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    fitGrids();
}

void TInfoHW::fitGrids() {
    fitGridColumns(ui->StringGrid1, {0.5, 0.5});
    fitGridColumns(ui->StringGrid2, {0.5, 0.5});
}

void TInfoHW::FormShow() {
    setCaptions();
    fitGrids();
    ui->ProgressBar1->setValue(0);
    ui->ProgressBar1->show();
    progress_.start();
    reader_.start();
}

void TInfoHW::b_closeClick() {
    accept();
}

void TInfoHW::done(int result) {
    progress_.stop();
    QDialog::done(result);
}

void TInfoHW::hardwareStatus(const QString& text) {
    ui->StatusBar1->showMessage(text);
}

void TInfoHW::stationDecoded() {
    progress_.stop();
    ui->ProgressBar1->hide();
    if (stationShown_) {
        stationShown_();
    }
    fill();
}

void TInfoHW::fill() {
    const StationImage& img = reader_.image();
    ui->l_vyrCislo->setText(QString::number(img.cmos.serial_number));
    ui->l_sitAdr->setText(QString::number(img.station.net_address));
    ui->l_pamet->setText(QString::number(img.station.memory_size) + QStringLiteral(" B"));
    ui->l_zamek->setText(txt(img.cmos.locked ? 310 : 311));
    ui->l_verze->setText(fromCp1250(img.cmos.sw_version));
    for (int r = 0; r < 8; ++r) {
        setGridCell(ui->StringGrid1, r, 1,
                    inputCardText(img.cmos.input_types[static_cast<std::size_t>(r)]));
    }
    for (int r = 0; r < 4; ++r) {
        setGridCell(ui->StringGrid2, r, 1, prescalerText(img.cmos.prescaler(r + 1)));
    }
}

void TInfoHW::hardwareEnded(Ending ending) {
    if (ending == Ending::Failed) {
        progress_.stop();
        QTimer::singleShot(0, this, &QDialog::reject);
    }
}

}  // namespace pelmo
