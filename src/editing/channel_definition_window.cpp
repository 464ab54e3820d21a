#include "editing/channel_definition_window.h"

#include <QAction>
#include <QMenu>
#include <QMouseEvent>
#include <QShowEvent>
#include <QStyle>

#include "base/prompts.h"
#include "base/texts.h"
#include "editing/lin_table_window.h"
#include "editing/number_field.h"
#include "files/program_settings.h"
#include "model/memory_allocation.h"
#include "services/access_mode.h"
#include "ui_channel_definition_window.h"
#include "widgets/typing_limit.h"

namespace pelmo {

TDefVeliciny::TDefVeliciny(int channel, ProgramContext& program, StationPort& port,
                           TLinTab& tableEditor, Callbacks callbacks, QWidget* parent)
    : QDialog(parent),
      ui_(std::make_unique<Ui::TDefVeliciny>()),
      channel_(channel),
      settings_(program.settings),
      image_(program.station),
      tableEditor_(tableEditor),
      prompts_(program.prompts()),
      callbacks_(std::move(callbacks)),
      upload_(port, program.link, program.prompts(), *this) {
    ui_->setupUi(this);
    // The channel block holds a longer text than the box lets one type; a read one stays whole.
    limitTyping(ui_->e_text);
    ui_->ProgressBar1->hide();
    ui_->i_pamet->setIcon(style()->standardIcon(QStyle::SP_DriveHDIcon));
    ui_->c_mereni->addItems(measurementEntries());
    ui_->c_display->addItems(displayEntries());

    sensorMenu_ = new QMenu(this);
    QAction* deleteTable = sensorMenu_->addAction(QString());
    deleteTable->setObjectName(QStringLiteral("m_smazatTab"));
    ui_->e_typ->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ui_->e_typ, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { sensorMenu_->popup(ui_->e_typ->mapToGlobal(at)); });
    connect(deleteTable, &QAction::triggered, this, &TDefVeliciny::m_smazatTabClick);

    // Hidden: the window has no menu bar, only the shortcut.
    pwd1_ = new QAction(this);
    pwd1_->setObjectName(QStringLiteral("pwd1"));
    pwd1_->setShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_H));
    addAction(pwd1_);
    connect(pwd1_, &QAction::triggered, this, &TDefVeliciny::pwd1Click);

    ui_->e_typ->installEventFilter(this);
    ui_->e_pamet->installEventFilter(this);
    connect(ui_->e_typ, &QLineEdit::editingFinished, this, &TDefVeliciny::e_typExit);
    connect(ui_->i_pamet, &QToolButton::clicked, this, &TDefVeliciny::e_pametDblClick);
    connect(ui_->ch_auto, &QCheckBox::clicked, this, &TDefVeliciny::ch_autoMouseUp);
    connect(ui_->C_vstup, &QComboBox::currentIndexChanged, this, [this] {
        if (!filling_) {
            C_vstupChange();
        }
    });
    connect(ui_->Button2, &QPushButton::clicked, this, &TDefVeliciny::Button2Click);
    connect(ui_->Button1, &QPushButton::clicked, this, &TDefVeliciny::Button1Click);
    connect(ui_->b_del, &QPushButton::clicked, this, &TDefVeliciny::b_delClick);
    connect(ui_->b_doStanice, &QPushButton::clicked, this, &TDefVeliciny::b_doStaniceClick);
}

TDefVeliciny::~TDefVeliciny() = default;

void TDefVeliciny::setCaptions() {
    setWindowTitle(txt(kTextChannelSetup));
    ui_->l_jmeno->setText(txt(kTextNameLabel));
    ui_->l_text->setText(txt(kTextTextLabel));
    ui_->l_jednotky->setText(txt(kTextUnit));
    ui_->l_typ->setText(txt(kTextSensorTypeLabel));
    ui_->l_minHodnota->setText(txt(kTextMinValue));
    ui_->l_maxHodnota->setText(txt(kTextMaxValue));
    ui_->l_teplVody->setText(txt(kTextCalibrWaterTemp));
    ui_->l_teplKoef->setText(txt(kTextTempCoefficient));
    ui_->l_vstup->setText(txt(kTextInputLabel));
    ui_->l_interval->setText(txt(kTextInterval));
    ui_->l_pamet->setText(txt(kTextBufferSize));
    ui_->l_mereni->setText(txt(kTextModeOfMeas));
    ui_->l_display->setText(txt(kTextDisplay));
    ui_->l_vystup->setText(txt(kTextOutput));
    ui_->l_minMez->setText(txt(kTextLowLimit));
    ui_->l_maxMez->setText(txt(kTextHighLimit));
    ui_->b_del->setText(txt(kTextDelete));
    ui_->ch_auto->setText(txt(kTextAutomaticMemoryAllocation));
    ui_->ch_minus->setText(txt(kTextInvertOutputValues));
    ui_->b_doStanice->setText(txt(kTextToStation));
    ui_->Button2->setText(txt(kTextSave));
    ui_->Button1->setText(txt(kTextCancel));
    sensorMenu_->actions().front()->setText(txt(kTextDeleteLinTable));
}

void TDefVeliciny::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        FormShow();
    }
}

bool TDefVeliciny::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick) {
        if (watched == ui_->e_typ) {
            e_typDblClick();
            return true;
        }
        if (watched == ui_->e_pamet) {
            e_pametDblClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TDefVeliciny::setIntervalEnabled(bool on) {
    ui_->e_pamet->setEnabled(on);
    ui_->s_hour->setEnabled(on);
    ui_->s_min->setEnabled(on);
    ui_->s_sec->setEnabled(on);
}

void TDefVeliciny::FormShow() {
    filling_ = true;
    const definice_PV_rec& s = image_.channel(channel_);
    setCaptions();
    ui_->l_cislo->setText(QString::number(channel_));
    accessModeChanged();

    ui_->C_vstup->clear();
    for (int i = 0; i < kInputEntries; ++i) {
        ui_->C_vstup->addItem(inputEntryText(i));
    }
    ui_->ch_auto->setChecked(s.auto_memory != 0);
    setIntervalEnabled(s.auto_memory == 0);

    const ChannelForm f = channelFormFromImage(image_, channel_);
    ui_->e_jmeno->setText(f.name);
    ui_->e_text->setText(f.text);
    ui_->e_jednotky->setText(f.units);
    ui_->e_typ->setText(f.sensorType);
    ui_->e_minHodnota->setText(f.minValue);
    ui_->e_maxHodnota->setText(f.maxValue);
    ui_->c_mereni->setCurrentIndex(f.measurement);
    ui_->c_display->setCurrentIndex(f.display);
    ui_->e_pamet->setText(f.memory);

    const TemperatureBoxes boxes = temperatureBoxes(settings_.version, channel_);
    if (boxes.waterEnabled) {
        ui_->e_teplVody->setEnabled(*boxes.waterEnabled);
    }
    if (boxes.coefEnabled) {
        ui_->e_teplKoef->setEnabled(*boxes.coefEnabled);
    }
    ui_->l_teplVody->setText(txt(boxes.waterLabel));
    ui_->l_teplKoef->setText(txt(boxes.coefLabel));
    ui_->e_teplVody->setText(f.waterTemp);
    ui_->e_teplKoef->setText(f.tempCoef);

    ui_->C_vstup->setCurrentIndex(f.inputIndex);
    outputs_ = outputEntries(image_.meter.output_word, s.output_code);
    ui_->c_vystup->clear();
    for (const OutputEntry& e : outputs_) {
        ui_->c_vystup->addItem(e.text);
    }
    const OutputSelection out = selectOutput(outputs_, s.output_code);
    ui_->c_vystup->setCurrentIndex(out.index);
    ui_->ch_minus->setChecked(out.inverted);

    ui_->s_hour->setValue(f.hours);
    ui_->s_min->setValue(f.minutes);
    ui_->s_sec->setValue(f.seconds);
    ui_->e_minMez->setText(f.minLimit);
    ui_->e_maxMez->setText(f.maxLimit);

    rememberedIndex_ = ui_->C_vstup->currentIndex();
    rememberedGroup_ = inputGroup(rememberedIndex_);
    filling_ = false;
    C_vstupChange();
}

void TDefVeliciny::C_vstupChange() {
    int index = ui_->C_vstup->currentIndex();
    const int group = inputGroup(index);
    if (group != rememberedGroup_ && image_.channel(channel_).table_present) {
        if (prompts_.yesNo(txt(kTextYouMustResetLinearization))) {
            deleteChannelTable(image_.channel(channel_), image_.channelData(channel_));
            setLimitsUnknown();
            ui_->e_typ->clear();
        } else {
            filling_ = true;
            ui_->C_vstup->setCurrentIndex(rememberedIndex_);
            filling_ = false;
            index = rememberedIndex_;
        }
    }
    rememberedIndex_ = index;
    rememberedGroup_ = inputGroup(index);

    const bool pulses = isPulseEntry(index);
    ui_->l_maxHodnota->setText(pulses ? txt(kTextImpNumber) + QLatin1Char(':')
                                      : txt(kTextMaxValueLabel));
    ui_->e_minHodnota->setEnabled(!pulses);
    ui_->e_typ->setEnabled(!pulses);
    tableEditor_.setDividerVisible(!pulses);
}

void TDefVeliciny::setLimitsUnknown() {
    ui_->e_minMez->setText(kNoLimit);
    ui_->e_maxMez->setText(kNoLimit);
}

void TDefVeliciny::e_typDblClick() {
    if (image_.channel(channel_).table_present || !ui_->e_typ->text().isEmpty()) {
        tableEditor_.editChannel(channel_, *this);
    } else {
        prompts_.information(txt(kTextInsertSensorTypeFirst));
    }
}

void TDefVeliciny::e_typExit() {
    // The question takes the focus away, which must not ask again.
    if (askingSensor_ || !ui_->e_typ->text().isEmpty() || !image_.channel(channel_).table_present) {
        return;
    }
    askingSensor_ = true;
    if (prompts_.yesNo(txt(kTextAreYouSureWant))) {
        deleteChannelTable(image_.channel(channel_), image_.channelData(channel_));
        setLimitsUnknown();
    } else {
        ui_->e_typ->setFocus();
    }
    askingSensor_ = false;
}

void TDefVeliciny::m_smazatTabClick() {
    if (prompts_.yesNo(txt(kTextAreYouSureWant))) {
        deleteChannelTable(image_.channel(channel_), image_.channelData(channel_));
        setLimitsUnknown();
        ui_->e_typ->clear();
    }
}

void TDefVeliciny::showMemory(int bytes) {
    ui_->e_pamet->setText(QString::number(bytes));
}

void TDefVeliciny::e_pametDblClick() {
    std::int64_t memory = 0;
    if (!checkDigitsField(ui_->e_pamet->text(), ui_->l_pamet->text(), prompts_, memory)) {
        return;
    }
    (void)checkChannelMemory(image_, channel_, memory, prompts_);
    showMemory(allocateForChannel(image_, channel_, ui_->s_hour->value(), ui_->s_min->value(),
                                  ui_->s_sec->value(), prompts_));
    if (callbacks_.openMemoryWindow) {
        callbacks_.openMemoryWindow();
    }
}

void TDefVeliciny::ch_autoMouseUp() {
    const bool on = ui_->ch_auto->isChecked();
    image_.channel(channel_).auto_memory = on ? 1 : 0;
    setIntervalEnabled(!on);
    showMemory(allocateForChannel(image_, channel_, ui_->s_hour->value(), ui_->s_min->value(),
                                  ui_->s_sec->value(), prompts_));
}

ChannelForm TDefVeliciny::readForm() const {
    ChannelForm f;
    f.name = ui_->e_jmeno->text();
    f.text = ui_->e_text->text();
    f.units = ui_->e_jednotky->text();
    f.sensorType = ui_->e_typ->text();
    f.minValue = ui_->e_minHodnota->text();
    f.maxValue = ui_->e_maxHodnota->text();
    f.memory = ui_->e_pamet->text();
    f.minLimit = ui_->e_minMez->text();
    f.maxLimit = ui_->e_maxMez->text();
    f.waterTemp = ui_->e_teplVody->text();
    f.tempCoef = ui_->e_teplKoef->text();
    f.hours = ui_->s_hour->value();
    f.minutes = ui_->s_min->value();
    f.seconds = ui_->s_sec->value();
    f.measurement = ui_->c_mereni->currentIndex();
    f.display = ui_->c_display->currentIndex();
    f.inputIndex = ui_->C_vstup->currentIndex();
    const int out = ui_->c_vystup->currentIndex();
    f.outputCode = out >= 0 && out < static_cast<int>(outputs_.size())
                       ? outputs_[static_cast<std::size_t>(out)].code
                       : -1;
    f.inverted = ui_->ch_minus->isChecked();
    ChannelCaptions& c = f.captions;
    c.name = ui_->l_jmeno->text();
    c.text = ui_->l_text->text();
    c.units = ui_->l_jednotky->text();
    c.sensor = ui_->l_typ->text();
    c.minValue = ui_->l_minHodnota->text();
    c.maxValue = ui_->l_maxHodnota->text();
    c.memory = ui_->l_pamet->text();
    c.minLimit = ui_->l_minMez->text();
    c.interval = ui_->l_interval->text();
    c.water = ui_->l_teplVody->text();
    c.coef = ui_->l_teplKoef->text();
    c.maxLimit = ui_->l_maxMez->text();
    return f;
}

void TDefVeliciny::refreshRow() {
    if (callbacks_.refreshGridRow) {
        callbacks_.refreshGridRow(channel_);
    }
}

void TDefVeliciny::Button2Click() {
    const bool ok = saveChannel(image_, channel_, readForm(), prompts_);
    refreshRow();
    if (ok) {
        accept();
    }
}

void TDefVeliciny::Button1Click() {
    reject();
}

void TDefVeliciny::reject() {
    // The upload owns the bus until its chain ends. After the table editor deleted the
    // table, only saving leaves: an analog channel without its table must not stay behind.
    if (upload_.running() || mustSave_) {
        return;
    }
    refreshRow();
    QDialog::reject();
}

void TDefVeliciny::b_delClick() {
    if (!prompts_.yesNo(txt(kTextAreYouSureWantTo))) {
        return;
    }
    deleteChannel(image_.channel(channel_), image_.channelData(channel_));
    refreshRow();
    accept();
}

void TDefVeliciny::b_doStaniceClick() {
    if (upload_.running() || !saveChannel(image_, channel_, readForm(), prompts_)) {
        return;
    }
    // The channel is stored now: the editor may close when the upload ends.
    mustSave_ = false;
    setSequenceControlsEnabled(false);
    upload_.start(channel_);
}

void TDefVeliciny::pwd1Click() {
    if (callbacks_.openPassword) {
        callbacks_.openPassword();
    }
}

void TDefVeliciny::accessModeChanged() {
    ui_->b_doStanice->setEnabled(accessMode() != AccessMode::None && !upload_.running());
}

void TDefVeliciny::setSequenceControlsEnabled(bool on) {
    ui_->Button2->setEnabled(on);
    ui_->Button1->setEnabled(on);
    ui_->b_del->setEnabled(on);
    if (on) {
        accessModeChanged();
    } else {
        ui_->b_doStanice->setEnabled(false);
    }
}

bool TDefVeliciny::frequencyInput() const {
    return isFrequencyEntry(ui_->C_vstup->currentIndex());
}

QString TDefVeliciny::minValueText() const {
    return ui_->e_minHodnota->text();
}

QString TDefVeliciny::maxValueText() const {
    return ui_->e_maxHodnota->text();
}

QString TDefVeliciny::sensorTypeText() const {
    return ui_->e_typ->text();
}

void TDefVeliciny::setCancelEnabled(bool on) {
    ui_->Button1->setEnabled(on);
    mustSave_ = !on;
}

void TDefVeliciny::tableDeleted() {
    setLimitsUnknown();
    ui_->e_typ->clear();
}

void TDefVeliciny::tableStored(const QString& min, const QString& max, const QString& lowLimit,
                               const QString& highLimit) {
    ui_->e_minHodnota->setText(min);
    ui_->e_maxHodnota->setText(max);
    ui_->e_minMez->setText(lowLimit);
    ui_->e_maxMez->setText(highLimit);
    ui_->l_maxHodnota->setText(QStringLiteral("Max. hodnota:"));
    ui_->e_minHodnota->setEnabled(true);
}

void TDefVeliciny::uploadStatus(const QString& text) {
    ui_->StatusBar1->showMessage(text);
}

void TDefVeliciny::uploadProgress(int value) {
    ui_->ProgressBar1->setValue(value);
    ui_->ProgressBar1->show();
}

void TDefVeliciny::uploadEnded() {
    ui_->ProgressBar1->hide();
    setSequenceControlsEnabled(true);
}

void TDefVeliciny::closeEditor() {
    reject();
}

}  // namespace pelmo
