#pragma once

#include <QDialog>
#include <QTimer>
#include <memory>

#include "context/program_context.h"
#include "operations/station_compare.h"

namespace Ui {
class TPorovnani;
}

namespace pelmo {

// Lists every field in which the station differs from a station file. Opening it starts
// the read; "Zavřít" stops a read still going and closes.
class TPorovnani final : public QDialog, private CompareView {
    Q_OBJECT
public:
    TPorovnani(StationPort& port, ProgramContext& program, const StationImage& file,
               const QString& fileName, QWidget* parent = nullptr);
    ~TPorovnani() override;

    void setCaptions();
    void b_zavritClick();
    const StationCompare& compare() const { return compare_; }

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;

private:
    void compareStatus(const QString& text) override;
    void compareEnded(bool ok) override;
    void showDifferences();

    std::unique_ptr<Ui::TPorovnani> ui;
    StationCompare compare_;
    StationImage file_;
    const StationImage& current_;
    QTimer progress_;
    ProgramContext& program_;
    bool started_ = false;
    bool read_ = false;
};

}  // namespace pelmo
