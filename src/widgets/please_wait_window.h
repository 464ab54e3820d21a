#pragma once

#include <QDialog>
#include <memory>

#include "services/wait_indicator.h"

namespace Ui {
class TPleaseWait;
}

namespace pelmo {

// Shown without blocking while a long load or export works; the operation drives it and
// closes it at the end.
class TPleaseWait : public QDialog, public WaitIndicator {
    Q_OBJECT
public:
    // `mainWindow` is the window it is centred on.
    explicit TPleaseWait(QWidget* mainWindow = nullptr);
    ~TPleaseWait() override;

    // Shows the window without blocking and paints it at once.
    void start();
    void setMaximum(int maximum) override;
    void setStep(int step);
    // Advances the progress bar by one step, stopping at the maximum.
    void stepIt() override;
    void setLabelText(const QString& text) override;
    // Shows the progress note (for example "Ch. 3").
    void showNote(const QString& note) override;
    // Paints the window now: the operation does not return to the event loop while it works.
    void refresh() override;

protected:
    void showEvent(QShowEvent* event) override;
    // No close box; the operation alone closes the window.
    void reject() override {}

private:
    std::unique_ptr<Ui::TPleaseWait> ui_;
    int step_ = 1;
};

}  // namespace pelmo
