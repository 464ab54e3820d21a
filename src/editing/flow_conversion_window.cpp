#include "editing/flow_conversion_window.h"

#include <QEvent>

#include "base/texts.h"
#include "services/sound.h"
#include "ui_flow_conversion_window.h"

namespace pelmo {

TAutoVypocet::TAutoVypocet(const StationImage& image, Prompts& prompts,
                           const ProgramSettings& settings, QWidget* parent)
    : QDialog(parent),
      ui_(std::make_unique<Ui::TAutoVypocet>()),
      conversion_(image, prompts, [&settings] { playSignal(settings, SoundSignal::Warning); }) {
    ui_->setupUi(this);
    for (int box = 0; box < kFlowInputCount; ++box) {
        QLineEdit* e = input(box);
        e->installEventFilter(this);
        connect(e, &QLineEdit::returnPressed, this, [this, box] { inputReturn(box); });
    }
    connect(ui_->le_VypTeplota, &QLineEdit::textChanged, this, [this] {
        if (!filling_) {
            le_VypTeplotaChange();
        }
    });
    connect(ui_->le_VypTlak, &QLineEdit::textChanged, this, [this] {
        if (!filling_) {
            le_VypTlakChange();
        }
    });
    connect(ui_->l_prep, &QPushButton::clicked, this, &TAutoVypocet::l_prepClick);
    connect(ui_->l_pouzit, &QPushButton::clicked, this, &TAutoVypocet::l_pouzitClick);
    connect(ui_->b_close, &QPushButton::clicked, this, &QDialog::reject);
}

TAutoVypocet::~TAutoVypocet() = default;

QLineEdit* TAutoVypocet::input(int box) const {
    QLineEdit* const boxes[kFlowInputCount] = {ui_->le_VypTeplota, ui_->le_VypTlak,
                                               ui_->le_maxPracTepl, ui_->le_maxPracTlak,
                                               ui_->le_vypPrutok};
    return boxes[box];
}

void TAutoVypocet::setCaptions() {
    setWindowTitle(txt(kTextUnitConversionKgH));
    ui_->gb_vstup->setTitle(txt(kTextInputValues));
    ui_->gb_vystup->setTitle(txt(kTextOutputValues));
    ui_->cap_VypTeplota->setText(txt(kTextCalculationTemp));
    ui_->cap_VypTlak->setText(txt(kTextCalculationPress));
    ui_->cap_maxPracTepl->setText(txt(kTextMaxOperationalTemp));
    ui_->cap_maxPracTlak->setText(txt(kTextMaxOperationalPress));
    ui_->cap_vypPrutok->setText(txt(kTextCalculationFlow) + QLatin1Char(':'));
    ui_->cap_mezTeplota->setText(txt(kTextLimitTemp));
    ui_->cap_mezTlak->setText(txt(kTextLimitPress));
    ui_->cap_vypPrutokOut->setText(txt(kTextCalculationFlow));
    ui_->cap_Hmot->setText(txt(kTextCalWaterWeight));
    ui_->cap_maxPrutok->setText(txt(kTextMaximumFlow));
    ui_->cap_maxMezTlak->setText(txt(kTextMaxLimitPress));
    ui_->cap_maxMezTep->setText(txt(kTextMaxLimitTemp));
    ui_->l_error->setText(txt(kTextSteamOutOfBounds));
    ui_->l_prep->setText(txt(kTextRecalculate));
    ui_->l_pouzit->setText(txt(kTextApply));
    ui_->b_close->setText(txt(kTextClose));
}

void TAutoVypocet::prepare(int channel, const QString& secondPointValue) {
    applied_.reset();
    setCaptions();
    conversion_.open(channel, secondPointValue);
    fillInputs();
    showForm();
    ui_->le_VypTeplota->setFocus();
}

void TAutoVypocet::readForm() {
    for (int box = 0; box < kFlowInputCount; ++box) {
        conversion_.inputs[static_cast<std::size_t>(box)] = input(box)->text();
    }
}

void TAutoVypocet::fillInputs() {
    filling_ = true;
    for (int box = 0; box < kFlowInputCount; ++box) {
        input(box)->setText(conversion_.inputs[static_cast<std::size_t>(box)]);
    }
    filling_ = false;
}

// The boxes are the operator's: only the outputs, the error label and the buttons are shown
// from the conversion.
void TAutoVypocet::showForm() {
    ui_->l_mezTeplota->setText(conversion_.mezTeplota);
    ui_->l_mezTlak->setText(conversion_.mezTlak);
    ui_->l_vypPrutok->setText(conversion_.vypPrutok);
    ui_->l_Hmot->setText(conversion_.hmot);
    ui_->l_maxPrutok->setText(conversion_.maxPrutok);
    ui_->l_maxMezTlak->setText(conversion_.maxMezTlak);
    ui_->l_maxMezTep->setText(conversion_.maxMezTep);
    ui_->l_error->setVisible(conversion_.errorShown);
    ui_->l_prep->setEnabled(conversion_.recalculateEnabled);
    ui_->l_pouzit->setEnabled(conversion_.applyEnabled);
}

bool TAutoVypocet::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        for (int box = 0; box < kFlowInputCount; ++box) {
            if (watched == input(box)) {
                inputEnter(box);
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TAutoVypocet::inputEnter(int) {
    readForm();
    conversion_.inputEntered();
    showForm();
}

void TAutoVypocet::inputReturn(int box) {
    if (box + 1 < kFlowInputCount) {
        input(box + 1)->setFocus();
        return;
    }
    if (conversion_.errorShown) {
        return;
    }
    l_prepClick();
    ui_->l_pouzit->setFocus();
}

void TAutoVypocet::le_VypTeplotaChange() {
    readForm();
    conversion_.temperatureChanged();
    showForm();
}

void TAutoVypocet::le_VypTlakChange() {
    readForm();
    conversion_.pressureChanged();
    showForm();
}

void TAutoVypocet::l_prepClick() {
    readForm();
    (void)conversion_.convert();
    showForm();
}

void TAutoVypocet::l_pouzitClick() {
    readForm();
    applied_ = conversion_.apply();
    showForm();
    if (applied_) {
        accept();
    }
}

}  // namespace pelmo
