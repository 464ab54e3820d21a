#include "operations/lock_window.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QTimer>

#include "base/cp1250.h"
#include "base/prompts.h"
#include "base/texts.h"
#include "ui_lock_window.h"

namespace pelmo {

TLockStation::TLockStation(StationPort& port, ProgramContext& program, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      ui(std::make_unique<Ui::TLockStation>()),
      program_(program),
      locker_(port, program.link, program.prompts(), *this) {
    ui->setupUi(this);
    ui->l_staniceUzamcena->hide();
    connect(ui->b_close, &QPushButton::clicked, this, &TLockStation::b_closeClick);
}

TLockStation::~TLockStation() = default;

void TLockStation::setCaptions() {
    setWindowTitle(txt(kTextUnitLockOut214));
    ui->Label1->setText(txt(kTextUnitLockOut214));
    ui->l_nazev1->setText(txt(kTextSystemName));
    ui->l_vyrCislo1->setText(txt(kTextSerialNumber));
    ui->l_adresa1->setText(txt(kTextNetAddressLabel));
    ui->l_staniceUzamcena->setText(txt(kTextUnitLocked));
    // "Zavřít" in Czech; the shared close text keeps English windows English.
    ui->b_close->setText(txt(kTextClose));
}

void TLockStation::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!started_) {
        started_ = true;
        FormShow();
    }
}

void TLockStation::FormShow() {
    setCaptions();
    running_ = true;
    locker_.start();
}

void TLockStation::lockStatus(const QString& text) {
    ui->StatusBar1->showMessage(text);
}

void TLockStation::stationIdentified() {
    const StationImage& img = locker_.engine() && locker_.engine()->link().build.image
                                  ? *locker_.engine()->link().build.image
                                  : program_.station;
    ui->l_nazev->setText(fromCp1250(img.station.name));
    ui->l_vyrCislo->setText(QString::number(img.cmos.serial_number));
    ui->l_adresa->setText(QString::number(img.station.net_address));
    if (stationShown_) {
        stationShown_();
    }
}

void TLockStation::lockEnded(Ending ending) {
    ending_ = ending;
    running_ = false;
    if (ending == Ending::Locked || ending == Ending::NotLocked) {
        if (ending == Ending::NotLocked) {
            ui->l_staniceUzamcena->setText(txt(kTextErrorLockingUnit));
        }
        ui->l_staniceUzamcena->show();
        ui->b_close->setEnabled(true);
        ui->b_close->setFocus();
        return;
    }
    QTimer::singleShot(0, this, &QDialog::reject);
}

void TLockStation::b_closeClick() {
    accept();
}

void TLockStation::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && running_) {
        event->ignore();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TLockStation::closeEvent(QCloseEvent* event) {
    if (running_) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

}  // namespace pelmo
