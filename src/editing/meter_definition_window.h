#pragma once

#include <QDialog>
#include <functional>
#include <memory>

#include "editing/meter_definition_logic.h"

namespace Ui {
class TDefMeridla;
}

class QTableWidget;

namespace pelmo {

class Prompts;
struct StationImage;

// Meter definition editor. Edits the meter record of the station image; nothing goes to the
// station from here. `onStored` runs after a successful save (the main window refreshes its
// channel grid's variant marks).
class TDefMeridla : public QDialog {
    Q_OBJECT
public:
    // `gasVersion`: the gas meter's captions and checks.
    TDefMeridla(StationImage& image, Prompts& prompts, bool gasVersion,
                std::function<void()> onStored, QWidget* parent = nullptr);
    ~TDefMeridla() override;

    // Caption routine, run when the window is created.
    void setCaptions();

    void FormShow();
    void box_1MouseUp();
    void box_2MouseUp();
    void b_saveClick();
    void b_closeClick();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

public slots:
    // Cancel, Esc and the close box: box_2's immediate change is taken back.
    void reject() override;

private:
    void showForm(const MeterForm& form);
    MeterForm formState() const;
    void setUnitCaptions(int coefficient, bool perTonne);
    void fitRows(QTableWidget* grid);

    std::unique_ptr<Ui::TDefMeridla> ui_;
    StationImage& image_;
    Prompts& prompts_;
    std::function<void()> onStored_;
    bool gas_ = false;
    std::int32_t openedOutputWord_ = 0;
};

}  // namespace pelmo
