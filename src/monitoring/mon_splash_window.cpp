#include "monitoring/mon_splash_window.h"

#include <QKeyEvent>
#include <QLabel>
#include <QTimer>

#include "base/prompts.h"
#include "base/texts.h"
#include "ui_mon_splash_window.h"

namespace pelmo {

namespace {

QLabel* countLabel(QWidget& window, const char* prefix, int channel) {
    return window.findChild<QLabel*>(QString::fromLatin1(prefix) + QString::number(channel));
}

}  // namespace

TMonSplash::TMonSplash(StationPort& port, ProgramContext& program, MonitoringRecording& recording,
                       Outlets outlets, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      ui(std::make_unique<Ui::TMonSplash>()),
      outlets_(std::move(outlets)),
      transfer_(port, program.link, program.prompts(), *this, recording) {
    ui->setupUi(this);
}

TMonSplash::~TMonSplash() = default;

void TMonSplash::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!started_) {
        started_ = true;
        FormShow();
    }
}

void TMonSplash::FormShow() {
    ui->GroupBox1->setTitle(txt(kTextNumberOfSamples));
    transfer_.start();
}

void TMonSplash::keyPressEvent(QKeyEvent* event) {
    // The transfer ends the window; Escape must not leave the station mid-transfer.
    if (event->key() == Qt::Key_Escape) {
        event->ignore();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TMonSplash::transferStatus(const QString& text) {
    ui->StatusBar1->showMessage(text);
}

void TMonSplash::viewStatus(const QString& text) {
    if (outlets_.viewStatus) {
        outlets_.viewStatus(text);
    }
}

void TMonSplash::viewSource(const QString& text) {
    if (outlets_.viewSource) {
        outlets_.viewSource(text);
    }
}

void TMonSplash::expectedCounts(const std::array<std::uint16_t, kChannelCount>& counts) {
    for (int c = 1; c <= kChannelCount; ++c) {
        countLabel(*this, "l_ocekavano", c)
            ->setText(QString::number(counts[static_cast<std::size_t>(c - 1)]));
    }
}

void TMonSplash::receivedCount(int channel, int samples) {
    countLabel(*this, "l_prijato", channel)->setText(QString::number(samples));
}

void TMonSplash::gaugeMaximum(int maximum) {
    ui->Gauge1->setMaximum(std::max(maximum, 1));
}

void TMonSplash::gauge(int position) {
    ui->Gauge1->setValue(std::min(position, ui->Gauge1->maximum()));
}

void TMonSplash::trafficNote(const QString& line) {
    if (outlets_.trafficNote) {
        outlets_.trafficNote(line);
    }
}

void TMonSplash::transferEnded(bool dataReady) {
    // Leave the completion handler before the window goes.
    QTimer::singleShot(0, this, dataReady ? &QDialog::accept : &QDialog::reject);
}

}  // namespace pelmo
