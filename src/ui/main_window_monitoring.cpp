// The main window's monitoring commands: samples from the station and from a file, and the
// live tracking of the station.
#include <QFileInfo>

#include "base/prompts.h"
#include "base/texts.h"
#include "monitoring/sled_dat_window.h"
#include "ui/main_window.h"
#include "ui/serial_host_window.h"
#include "ui_main_window.h"

namespace pelmo {

namespace {

TSledDat::Hooks viewHooks(TZobrStanice& main, TForm1& host) {
    TSledDat::Hooks hooks;
    hooks.stationRead = [&main] { main.fillFromImage(); };
    hooks.trafficNote = [&host](const QString& line) { host.trafficLog().note(line); };
    return hooks;
}

}  // namespace

void TZobrStanice::m_monStaniceClick() {
    resetNewStation(image_);
    TSledDat view(host_.port(), program_, this);
    view.setHooks(viewHooks(*this, host_));
    if (view.openFromStation()) {
        view.setSourceText(txt(kTextSourceUnit));
        view.exec();
    }
}

void TZobrStanice::m_monSouborClick() {
    FileDialogSpec spec;
    spec.title = QStringLiteral("Otevřít monitoring");
    spec.filter = QStringLiteral("Monitoring data (*.mon)|*.mon|All files (*.*)|*.*");
    spec.defaultExtension = QStringLiteral("mon");
    const QString file = program_.prompts().openFile(spec);
    if (file.isEmpty()) {
        return;
    }
    resetNewStation(image_);
    TSledDat view(host_.port(), program_, this);
    view.setHooks(viewHooks(*this, host_));
    if (view.openFromFile(file)) {
        view.exec();
    }
}

void TZobrStanice::m_sledovaniClick() {
    // The view shows the live values; the grid's old readings would only mislead.
    for (int r = 1; r <= kChannelCount; ++r) {
        for (int c = 1; c <= 4; ++c) {
            if (QTableWidgetItem* item = ui->StringGrid1->item(r, c)) {
                item->setText(QString());
            }
        }
    }
    TSledDat view(host_.port(), program_, this);
    view.setHooks(viewHooks(*this, host_));
    view.openLive();
    view.exec();
}

}  // namespace pelmo
