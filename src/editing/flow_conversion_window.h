#pragma once

#include <QDialog>
#include <memory>

#include "editing/flow_conversion_logic.h"

namespace Ui {
class TAutoVypocet;
}

class QLineEdit;

namespace pelmo {

struct ProgramSettings;

// Flow unit conversion of a steam flow channel, opened modally from the table editor; the
// conversion itself lives in FlowConversion.
class TAutoVypocet : public QDialog {
    Q_OBJECT
public:
    // `settings` decide whether the warning sounds.
    TAutoVypocet(const StationImage& image, Prompts& prompts, const ProgramSettings& settings,
                 QWidget* parent = nullptr);
    ~TAutoVypocet() override;

    // Everything the window does on opening, for `channel` with the table editor's value of
    // the second point.
    void prepare(int channel, const QString& secondPointValue);
    // What "Použít" wrote for the table's second point; nothing when it was not used.
    const std::optional<QString>& applied() const { return applied_; }

    FlowConversion& conversion() { return conversion_; }

    // Caption routine: texts 117, 334, 336-351.
    void setCaptions();

    // Handlers.
    void inputEnter(int box);
    void inputReturn(int box);
    void le_VypTeplotaChange();
    void le_VypTlakChange();
    void l_prepClick();
    void l_pouzitClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void readForm();
    void fillInputs();
    void showForm();
    QLineEdit* input(int box) const;

    std::unique_ptr<Ui::TAutoVypocet> ui_;
    FlowConversion conversion_;
    std::optional<QString> applied_;
    // Filling the boxes on opening is no change by the operator.
    bool filling_ = false;
};

}  // namespace pelmo
