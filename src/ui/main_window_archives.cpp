// The main window's commands for archives and station messages.
#include "archives/archive_window.h"
#include "archives/messages_window.h"
#include "ui/main_window.h"
#include "ui/serial_host.h"

namespace pelmo {

void TZobrStanice::m_archivClick() {
    TArchiv form(host_.port(), host_.link(), this);
    form.setTrafficLogClearer([this] { host_.trafficLog().clear(); });
    form.exec();
}

void TZobrStanice::m_hlaseniClick() {
    THlaseni form(host_.port(), host_.link(), this);
    form.exec();
}

}  // namespace pelmo
