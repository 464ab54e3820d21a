// The main window's bus commands: the network search, address maps and the station query
// windows.
#include <QMenu>

#include "base/prompts.h"
#include "base/texts.h"
#include "bus/address_map.h"
#include "bus/alarm_limits_window.h"
#include "bus/fly_window.h"
#include "bus/hardware_window.h"
#include "bus/maximum_window.h"
#include "bus/meter_limits_window.h"
#include "bus/registers_window.h"
#include "bus/search_window.h"
#include "ui/main_window.h"
#include "ui/serial_host_window.h"
#include "ui_main_window.h"

namespace pelmo {

void TZobrStanice::m_zeSiteClick() {
    resetNewStation(image_);
    image_.station_loaded = false;
    action("m_ulozeni")->setEnabled(true);
    action("m_registry")->setEnabled(true);
    setStationBoxesEnabled(true);
    setMeterBoxEnabled(true);
    setUserAddress(image_.address_list[kUserAddressEntry].address, true);
    TVyhledani search(host_.port(), program_, this);
    search.setEntriesChanged([this] { refreshAddressEntries(); });
    search.exec();
}

void TZobrStanice::m_zDiskuClick() {
    FileDialogSpec spec;
    spec.filter = QStringLiteral("Map files (*.map)|*.map|All files (*.*)|*.*");
    spec.defaultExtension = QStringLiteral("map");
    const QString file = program_.prompts().openFile(spec);
    if (file.isEmpty()) {
        return;
    }
    // The file error box has been shown for a file that cannot be opened.
    if (loadAddressMap(file, image_.address_list, program_.prompts()) == MapFileResult::Malformed) {
        program_.prompts().error(txt(kTextFileCorrupted));
    }
    refreshAddressEntries();
}

void TZobrStanice::m_registryClick() {
    TRegistryForm form(host_.port(), program_, this);
    form.setTrafficLogClearer([this] { host_.trafficLog().clear(); });
    form.exec();
}

void TZobrStanice::m_mezeAlarmuClick() {
    TMezAlarmu::MainWindow main;
    main.showStation = [this] { fillFromImage(); };
    main.channelCell = [this](int row, int column) {
        const QTableWidgetItem* item = ui->StringGrid1->item(row, column);
        return item ? item->text() : QString();
    };
    TMezAlarmu form(host_.port(), program_, main, this);
    form.exec();
}

void TZobrStanice::m_mezeMeridlaClick() {
    TMezMeridla form(host_.port(), program_, this);
    form.setPasswordOpener(windows_.password);
    form.exec();
}

void TZobrStanice::m_infoHWClick() {
    TInfoHW form(host_.port(), program_, this);
    form.setStationShown([this] {
        fillFromImage();
        setStatusText(txt(kTextDataLoaded));
    });
    form.exec();
}

void TZobrStanice::m_maximumClick() {
    TMaximum form(host_.port(), program_, this);
    form.exec();
}

void TZobrStanice::m_letmeClick() {
    TLetMer form(host_.port(), program_, this);
    form.exec();
}

}  // namespace pelmo
