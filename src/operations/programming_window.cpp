#include "operations/programming_window.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QTimer>

#include "base/prompts.h"
#include "base/texts.h"
#include "ui_programming_window.h"

namespace pelmo {

namespace {
constexpr int kDotIntervalMs = 200;
constexpr int kMaxDots = 19;
}  // namespace

TProgressForm::TProgressForm(StationPort& port, ProgramContext& program,
                             StationProgrammer::Options options, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      ui(std::make_unique<Ui::TProgressForm>()),
      programmer_(port, program.link, program.prompts(), *this, std::move(options)) {
    ui->setupUi(this);
    for (QLabel* ok :
         {ui->l_inicOK, ui->l_mazaniOK, ui->l_prenosOK, ui->l_zahajeniOK, ui->l_ProgrOK}) {
        ok->hide();
    }
    dotTimer_.setInterval(kDotIntervalMs);
    connect(&dotTimer_, &QTimer::timeout, this, &TProgressForm::dotTimerTimer);
    connect(ui->b_zavrit, &QPushButton::clicked, this, &TProgressForm::b_zavritClick);
}

TProgressForm::~TProgressForm() {
    dotTimer_.stop();
}

void TProgressForm::setCaptions() {
    setWindowTitle(txt(kTextSystemProgramming111));
    ui->Label1->setText(txt(kTextSystemProgramming111));
    ui->l_inicializace->setText(txt(kTextSystemInitialization));
    ui->l_mazani->setText(txt(kTextStationErase));
    ui->l_prenos->setText(txt(kTextParameterTransfer));
    ui->l_zahajeni->setText(txt(kTextStartOfMeasurement));
    ui->b_zavrit->setText(txt(kTextClose));
}

void TProgressForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!started_) {
        started_ = true;
        FormShow();
    }
}

void TProgressForm::FormShow() {
    setCaptions();
    dots_ = 0;
    dotTimer_.start();
    running_ = true;
    programmer_.start();
}

void TProgressForm::dotTimerTimer() {
    QLabel* rows[] = {ui->l_dots1, ui->l_dots2, ui->l_dots3, ui->l_dots4};
    for (QLabel* l : rows) {
        l->clear();
    }
    if (++dots_ > kMaxDots) {
        dots_ = 0;
    }
    const int row = programmer_.dotsRow();
    if (row >= 1 && row <= 4) {
        rows[row - 1]->setText(QString(dots_ + 1, QLatin1Char('.')));
    }
}

void TProgressForm::programmingStatus(const QString& text) {
    ui->StatusBar1->showMessage(text);
}

void TProgressForm::gauge(int position) {
    ui->Gauge1->setValue(std::min(position, StationProgrammer::kGaugeMaximum));
}

void TProgressForm::phaseDone(Phase phase) {
    switch (phase) {
        case Phase::Initialisation:
            ui->l_inicOK->show();
            break;
        case Phase::Erasing:
            ui->l_mazaniOK->show();
            break;
        case Phase::Transfer:
            ui->l_prenosOK->show();
            break;
        case Phase::Start:
            ui->l_zahajeniOK->show();
            break;
    }
}

void TProgressForm::transferCaption(const QString& caption) {
    ui->l_prenosOK->setText(caption);
    ui->l_prenosOK->show();
}

void TProgressForm::restartDots() {
    dots_ = 0;
}

void TProgressForm::clearTrafficLog() {
    if (clearLog_) {
        clearLog_();
    }
}

void TProgressForm::programmingEnded(Ending ending) {
    ending_ = ending;
    running_ = false;
    dotTimer_.stop();
    if (ending == Ending::Finished) {
        ui->l_ProgrOK->setText(txt(kTextSystemProgrammingOK));
        ui->l_ProgrOK->show();
        ui->b_zavrit->setEnabled(true);
        ui->b_zavrit->setFocus();
        return;
    }
    // Leave the completion handler before the window goes.
    QTimer::singleShot(0, this, &QDialog::reject);
}

void TProgressForm::b_zavritClick() {
    accept();
}

void TProgressForm::keyPressEvent(QKeyEvent* event) {
    // Escape must not leave a station half-programmed.
    if (event->key() == Qt::Key_Escape && running_) {
        event->ignore();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TProgressForm::closeEvent(QCloseEvent* event) {
    if (running_) {
        event->ignore();
        return;
    }
    dotTimer_.stop();
    QDialog::closeEvent(event);
}

}  // namespace pelmo
