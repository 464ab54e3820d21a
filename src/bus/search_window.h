#pragma once

#include <QDialog>
#include <functional>
#include <memory>

#include "bus/address_search.h"
#include "context/program_context.h"

namespace Ui {
class TVyhledani;
}

class QAction;
class QMenu;

namespace pelmo {

// Finds the stations on the bus, lists them and offers them in the main window's address
// entries; the list can be exported as an address map.
class TVyhledani final : public QDialog, private AddressSearchView {
    Q_OBJECT
public:
    TVyhledani(StationPort& port, ProgramContext& program, QWidget* parent = nullptr);
    ~TVyhledani() override;

    // The main window's address entries, shown again from the address list.
    void setEntriesChanged(std::function<void()> changed);
    AddressSearch& search() { return search_; }
    QMenu* exportMenu() const { return exportMenu_; }

    void setCaptions();
    void FormShow();
    void b_StopClick();
    void b_closeClick();
    void Export1Click();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void done(int result) override;

private:
    void searchStatus(const QString& text) override;
    void probing(int address) override;
    void addressAnswered(int found, int address) override;
    void stationFound(int found, int address, const QString& name) override;
    void searchEnded() override;
    void fitGrids();

    std::unique_ptr<Ui::TVyhledani> ui;
    ProgramContext& program_;
    AddressSearch search_;
    std::function<void()> entriesChanged_;
    QMenu* exportMenu_ = nullptr;
    QAction* exportAction_ = nullptr;
    bool started_ = false;
};

}  // namespace pelmo
