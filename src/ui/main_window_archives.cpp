// The main window's commands for archives, station messages and the reading history.
#include "archives/archive_window.h"
#include "archives/messages_window.h"
#include "history/history_database.h"
#include "history/history_window.h"
#include "ui/main_window.h"
#include "ui/serial_host_window.h"

namespace pelmo {

void TZobrStanice::m_archivClick() {
    TArchiv form(host_.port(), program_, this);
    form.setTrafficLogClearer([this] { host_.trafficLog().clear(); });
    form.exec();
}

void TZobrStanice::m_hlaseniClick() {
    THlaseni form(host_.port(), program_, this);
    form.exec();
}

void TZobrStanice::m_historieClick() {
    THistorie form(host_.port(), program_, program_.historyDatabase, this);
    form.exec();
}

}  // namespace pelmo
