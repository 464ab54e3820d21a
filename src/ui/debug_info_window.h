#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class TDebugInfoForm;
}

namespace pelmo {

// The modifications window: the program's version and the fixed build options.
class TDebugInfoForm : public QDialog {
    Q_OBJECT
public:
    explicit TDebugInfoForm(QWidget* parent = nullptr);
    ~TDebugInfoForm() override;

    void OKButtonClick();

private:
    std::unique_ptr<Ui::TDebugInfoForm> ui_;
};

}  // namespace pelmo
