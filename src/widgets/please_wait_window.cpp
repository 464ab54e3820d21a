#include "widgets/please_wait_window.h"

#include <QCoreApplication>
#include <algorithm>

#include "base/texts.h"
#include "ui_please_wait_window.h"
#include "widgets/program_icon.h"

namespace pelmo {

TPleaseWait::TPleaseWait(QWidget* mainWindow)
    : QDialog(mainWindow, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      ui_(std::make_unique<Ui::TPleaseWait>()) {
    ui_->setupUi(this);
    setWindowTitle(txt(kTextPleaseWait));
    ui_->Label1->setText(txt(kTextReadingRecords));
    setModal(false);
}

TPleaseWait::~TPleaseWait() = default;

void TPleaseWait::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    centreOnOwner(*this, parentWidget());
}

void TPleaseWait::start() {
    show();
    // The operation keeps the event loop busy; let the window system map the window first.
    // User input stays queued so nothing else starts meanwhile.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    refresh();
}

void TPleaseWait::setMaximum(int maximum) {
    ui_->Gauge1->setMaximum(maximum);
}

void TPleaseWait::setStep(int step) {
    step_ = step;
}

void TPleaseWait::stepIt() {
    QProgressBar& bar = *ui_->Gauge1;
    const qint64 next = static_cast<qint64>(bar.value()) + step_;
    bar.setValue(static_cast<int>(std::clamp<qint64>(next, bar.minimum(), bar.maximum())));
}

void TPleaseWait::setLabelText(const QString& text) {
    ui_->Label1->setText(text);
}

void TPleaseWait::showNote(const QString& note) {
    ui_->l_proc->setText(note);
    ui_->l_proc->setVisible(true);
}

void TPleaseWait::refresh() {
    if (isVisible()) {
        repaint();
    }
}

}  // namespace pelmo
