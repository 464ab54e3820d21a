#include "editing/meter_definition_window.h"

#include <QShowEvent>

#include "base/texts.h"
#include "files/program_settings.h"
#include "model/station_image.h"
#include "ui_meter_definition_window.h"

namespace pelmo {

namespace {

constexpr int kCaptionColumn = 0;
constexpr int kValueColumn = 1;

QTableWidgetItem* cell(QTableWidget* grid, int row, int column) {
    QTableWidgetItem* item = grid->item(row, column);
    if (item == nullptr) {
        item = new QTableWidgetItem;
        // Only the value column below the header row is edited.
        if (row == 0 || column != kValueColumn) {
            item->setFlags(item->flags() & ~Qt::ItemIsEditable);
        }
        if (row == 0) {
            item->setBackground(grid->palette().button());
        }
        grid->setItem(row, column, item);
    }
    return item;
}

QString cellText(const QTableWidget* grid, int row) {
    const QTableWidgetItem* item = grid->item(row, kValueColumn);
    return item == nullptr ? QString() : item->text();
}

void fillList(QComboBox* list, const QStringList& entries) {
    list->clear();
    list->addItems(entries);
}

}  // namespace

TDefMeridla::TDefMeridla(StationImage& image, Prompts& prompts, bool gasVersion,
                         std::function<void()> onStored, QWidget* parent)
    : QDialog(parent),
      ui_(std::make_unique<Ui::TDefMeridla>()),
      image_(image),
      prompts_(prompts),
      onStored_(std::move(onStored)),
      gas_(gasVersion) {
    ui_->setupUi(this);
    openedOutputWord_ = image_.meter.output_word;
    for (QTableWidget* grid : {ui_->StringGrid1, ui_->StringGrid2}) {
        grid->horizontalHeader()->setSectionResizeMode(kCaptionColumn,
                                                       QHeaderView::ResizeToContents);
        grid->horizontalHeader()->setStretchLastSection(true);
    }
    setCaptions();

    connect(ui_->box_1, &QCheckBox::clicked, this, &TDefMeridla::box_1MouseUp);
    connect(ui_->box_2, &QCheckBox::clicked, this, &TDefMeridla::box_2MouseUp);
    connect(ui_->b_save, &QPushButton::clicked, this, &TDefMeridla::b_saveClick);
    connect(ui_->b_close, &QPushButton::clicked, this, &TDefMeridla::b_closeClick);
}

TDefMeridla::~TDefMeridla() = default;

void TDefMeridla::setCaptions() {
    setWindowTitle(txt(kTextModeTab77));
    ui_->Label1->setText(txt(kTextModeTabLabel));
    ui_->l_cisloMer->setText(txt(kTextIdentificationNumber));
    ui_->l_varianta->setText(txt(kTextOptionCode));
    ui_->l_zpMer1->setText(txt(kTextMeasMethodCircuitNo));
    ui_->l_zpMer2->setText(txt(kTextMeasMethodCircuitNo2));
    ui_->l_vystup1->setText(txt(kTextAnalogOutputNo1));
    ui_->l_vystup2->setText(txt(kTextAnalogOutputNo2));
    fillList(ui_->c_varianta, variantEntries());
    fillList(ui_->c_typ, mediumEntries());
    fillList(ui_->c_zpMer1, methodEntries());
    fillList(ui_->c_zpMer2, methodEntries());
    fillList(ui_->c_vystup1, outputListEntries());
    fillList(ui_->c_vystup2, outputListEntries());

    cell(ui_->StringGrid1, 0, kCaptionColumn)->setText(txt(kTextMeasuringCoefficients));
    for (int row = 1; row <= kMeterConstantRows; ++row) {
        cell(ui_->StringGrid1, row, kCaptionColumn)->setText(constantCaption(row, gas_));
    }
    cell(ui_->StringGrid2, 0, kCaptionColumn)->setText(txt(kTextMeasuringParameters));
    for (int row = 1; row <= kMeterParameterRows; ++row) {
        cell(ui_->StringGrid2, row, kCaptionColumn)->setText(parameterCaption(row, gas_, false));
    }
    setUnitCaptions(1, false);
    setUnitCaptions(2, false);
    ui_->b_save->setText(txt(kTextSave));
    ui_->b_close->setText(txt(kTextCancel));
}

void TDefMeridla::setUnitCaptions(int coefficient, bool perTonne) {
    QCheckBox* box = coefficient == 1 ? ui_->box_1 : ui_->box_2;
    box->setText(unitBoxCaption(coefficient, perTonne));
    cell(ui_->StringGrid2, coefficient == 1 ? 5 : 6, kCaptionColumn)
        ->setText(parameterCaption(coefficient == 1 ? 5 : 6, gas_, perTonne));
}

void TDefMeridla::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        FormShow();
    }
    fitRows(ui_->StringGrid1);
    fitRows(ui_->StringGrid2);
}

void TDefMeridla::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    fitRows(ui_->StringGrid1);
    fitRows(ui_->StringGrid2);
}

void TDefMeridla::fitRows(QTableWidget* grid) {
    const int height = grid->viewport()->height() / grid->rowCount() - 1;
    for (int row = 0; row < grid->rowCount(); ++row) {
        grid->setRowHeight(row, height);
    }
}

void TDefMeridla::FormShow() {
    openedOutputWord_ = image_.meter.output_word;
    showForm(meterFormFromImage(image_.meter, gas_));
    ui_->c_typ->setVisible(!gas_);
    ui_->box_1->setEnabled(!gas_);
    ui_->box_2->setEnabled(!gas_);
}

void TDefMeridla::showForm(const MeterForm& form) {
    ui_->e_cisloMer->setText(form.meterNumber);
    for (int row = 1; row <= kMeterConstantRows; ++row) {
        cell(ui_->StringGrid1, row, kValueColumn)
            ->setText(form.constants[static_cast<std::size_t>(row - 1)]);
    }
    for (int row = 1; row <= kMeterParameterRows; ++row) {
        cell(ui_->StringGrid2, row, kValueColumn)
            ->setText(form.parameters[static_cast<std::size_t>(row - 1)]);
    }
    ui_->box_1->setChecked(form.perTonne[0]);
    ui_->box_2->setChecked(form.perTonne[1]);
    setUnitCaptions(1, form.perTonne[0]);
    setUnitCaptions(2, form.perTonne[1]);
    ui_->c_vystup1->setCurrentIndex(form.outputs[0]);
    ui_->c_vystup2->setCurrentIndex(form.outputs[1]);
    ui_->c_typ->setCurrentIndex(form.medium);
    ui_->c_zpMer1->setCurrentIndex(form.methods[0]);
    ui_->c_zpMer2->setCurrentIndex(form.methods[1]);
    ui_->c_varianta->setCurrentIndex(form.variant);
}

MeterForm TDefMeridla::formState() const {
    MeterForm form;
    form.meterNumber = ui_->e_cisloMer->text();
    form.variant = ui_->c_varianta->currentIndex();
    form.medium = ui_->c_typ->currentIndex();
    form.methods = {ui_->c_zpMer1->currentIndex(), ui_->c_zpMer2->currentIndex()};
    form.outputs = {ui_->c_vystup1->currentIndex(), ui_->c_vystup2->currentIndex()};
    for (int row = 1; row <= kMeterConstantRows; ++row) {
        form.constants[static_cast<std::size_t>(row - 1)] = cellText(ui_->StringGrid1, row);
    }
    for (int row = 1; row <= kMeterParameterRows; ++row) {
        form.parameters[static_cast<std::size_t>(row - 1)] = cellText(ui_->StringGrid2, row);
    }
    form.perTonne = {ui_->box_1->isChecked(), ui_->box_2->isChecked()};
    return form;
}

void TDefMeridla::box_1MouseUp() {
    // The record takes coefficient 1's unit only on save.
    setUnitCaptions(1, ui_->box_1->isChecked());
}

void TDefMeridla::box_2MouseUp() {
    setUnitCaptions(2, ui_->box_2->isChecked());
    setCoefficient2PerTonne(image_.meter, ui_->box_2->isChecked());
}

void TDefMeridla::b_saveClick() {
    // A cell still being edited hands its text to the grid first: moving the current cell
    // away commits the editor, also when the button was pressed without taking the focus.
    for (QTableWidget* grid : {ui_->StringGrid1, ui_->StringGrid2}) {
        const QModelIndex current = grid->currentIndex();
        grid->setCurrentIndex(QModelIndex());
        grid->setCurrentIndex(current);
    }
    if (!saveMeterForm(formState(), image_.meter, gas_, prompts_)) {
        return;
    }
    if (onStored_) {
        onStored_();
    }
    accept();
}

void TDefMeridla::b_closeClick() {
    reject();
}

void TDefMeridla::reject() {
    // Leaving without saving must leave the record as it was.
    image_.meter.output_word = openedOutputWord_;
    QDialog::reject();
}

}  // namespace pelmo
