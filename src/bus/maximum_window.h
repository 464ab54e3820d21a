#pragma once

#include <QDialog>
#include <memory>

#include "bus/maximum_reader.h"
#include "context/program_context.h"

namespace Ui {
class TMaximum;
}

namespace pelmo {

// The fifteen-minute heat of both circuits and its maxima, read once on opening.
class TMaximum final : public QDialog, private MaximumView {
    Q_OBJECT
public:
    TMaximum(StationPort& port, ProgramContext& program, QWidget* parent = nullptr);
    ~TMaximum() override;

    MaximumReader& reader() { return reader_; }

    void setCaptions();
    void FormShow();
    void OKBtnClick();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void maximumStatus(const QString& text) override;
    void maximumRead(const MaximumValues& values) override;
    void maximumEnded(Ending ending) override;
    void fitGrids();

    std::unique_ptr<Ui::TMaximum> ui;
    MaximumReader reader_;
    bool started_ = false;
};

}  // namespace pelmo
