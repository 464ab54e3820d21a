#include "operations/station_compare_window.h"

#include <QFileInfo>
#include <QHeaderView>
#include <QShowEvent>

#include "base/prompts.h"
#include "base/texts.h"
#include "files/program_settings.h"
#include "ui_station_compare_window.h"

namespace pelmo {

TPorovnani::TPorovnani(StationPort& port, ProgramContext& program, const StationImage& file,
                       const QString& fileName, QWidget* parent)
    : QDialog(parent),
      ui(std::make_unique<Ui::TPorovnani>()),
      compare_(port, program.link, program.prompts(), *this),
      file_(file),
      current_(program.station),
      program_(program) {
    ui->setupUi(this);
    ui->l_soubor->setText(QFileInfo(fileName).fileName());
    ui->l_soubor->setToolTip(fileName);
    ui->g_rozdily->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    ui->g_rozdily->verticalHeader()->hide();
    connect(ui->b_zavrit, &QPushButton::clicked, this, &TPorovnani::b_zavritClick);
    progress_.setInterval(10);
    connect(&progress_, &QTimer::timeout, this,
            [this] { ui->ProgressBar1->setValue(std::min(program_.rx.count(), 1100)); });
    setCaptions();
}

TPorovnani::~TPorovnani() = default;

void TPorovnani::setCaptions() {
    setWindowTitle(txt(kTextStationAndFileComparison));
    ui->l_soubor1->setText(txt(kTextFile) + QLatin1Char(':'));
    ui->g_rozdily->setHorizontalHeaderLabels(
        {txt(kTextRecord), txt(kTextField), txt(kTextStation1024), txt(kTextFile)});
    ui->b_zavrit->setText(txt(kTextClose1048));
}

void TPorovnani::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!started_) {
        started_ = true;
        program_.rx.setCount(0);
        progress_.start();
        compare_.start(file_, current_, program_.settings.isGasVersion());
    }
}

void TPorovnani::compareStatus(const QString& text) {
    ui->StatusBar1->showMessage(text);
}

void TPorovnani::compareEnded(bool ok) {
    progress_.stop();
    ui->ProgressBar1->hide();
    read_ = ok;
    if (ok) {
        showDifferences();
    }
}

void TPorovnani::showDifferences() {
    const auto& differences = compare_.differences();
    ui->g_rozdily->setRowCount(static_cast<int>(differences.size()));
    int row = 0;
    for (const FieldDifference& d : differences) {
        const QString cells[] = {d.record, d.field, d.left, d.right};
        for (int c = 0; c < 4; ++c) {
            ui->g_rozdily->setItem(row, c, new QTableWidgetItem(cells[c]));
        }
        ++row;
    }
    ui->l_vysledek->setText(differences.empty() ? txt(kTextTheStationAndThe)
                                                : txt(kTextDifferences).arg(differences.size()));
}

void TPorovnani::b_zavritClick() {
    reject();
}

void TPorovnani::reject() {
    // A read still going ends here: nothing more goes out.
    if (compare_.running()) {
        compare_.interrupt();
    }
    progress_.stop();
    QDialog::reject();
}

}  // namespace pelmo
