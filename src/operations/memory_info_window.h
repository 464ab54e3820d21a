#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class TmemInfo;
}

namespace pelmo {

struct StationImage;

// How the station's memory is shared among its channels and messages, from the station
// image alone; nothing is read from the station.
class TmemInfo : public QDialog {
    Q_OBJECT
public:
    explicit TmemInfo(const StationImage& image, QWidget* parent = nullptr);
    ~TmemInfo() override;

    void FormShow();
    void b_closeClick();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void fitGrid();

    std::unique_ptr<Ui::TmemInfo> ui_;
    const StationImage& image_;
};

}  // namespace pelmo
