#include "ui/app_shell.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QSerialPortInfo>
#include <cmath>

#include "base/prompts.h"
#include "base/texts.h"
#include "editing/channel_definition.h"
#include "editing/lin_table.h"
#include "files/program_settings.h"
#include "files/settings_ini.h"
#include "operations/memory_info.h"
#include "ui/about_box.h"
#include "ui/debug_info_form.h"
#include "ui/main_window.h"
#include "ui/password_form.h"
#include "ui/qt_translation.h"
#include "ui/serial_host.h"
#include "ui/settings_dialog.h"

namespace pelmo {

namespace {
// F1 opens the manual from every window of the program, dialogs included.
class ManualKey final : public QObject {
public:
    ManualKey(std::function<void()> open, QObject* parent)
        : QObject(parent), open_(std::move(open)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
            open_();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> open_;
};
}  // namespace

AppShell::AppShell(const QString& portOverride, StationPort* bus)
    : host_(std::make_unique<TForm1>(defaultLinkContext(), bus)) {
    programSettings().portOverride = portOverride;
    // The main window comes first; it needs the serial host's port, so the host object
    // exists already but is set up (settings, lights) after the window.
    main_ = std::make_unique<TZobrStanice>(*host_);
    main_->setWindows({[this] { openSettings(); }, [this] { openAbout(); },
                       [this] { openPassword(); }, [this] { openDebugInfo(); },
                       [this](int channel) { openChannelEditor(channel); }});
    host_->setConnectAdopter([this](std::unique_ptr<TCommunication> engine) {
        main_->adoptConnectEngine(std::move(engine));
    });
    host_->setMainStatus([this](const QString& text) { main_->setStatusText(text); });
    TForm1::Commands commands;
    commands.loadStationFile = [this] { main_->consoleLoadStationFile(); };
    // The console runs the main window's commands, with their enable rules.
    commands.registers = [this] { main_->action("m_registry")->trigger(); };
    commands.maximum = [this] { main_->action("m_maximum")->trigger(); };
    commands.settings = [this] { openSettings(); };
    commands.about = [this] { openAbout(); };
    commands.programStation = [this] { main_->action("m_programovani")->trigger(); };
    host_->setCommands(commands);
    if (QCoreApplication::instance()) {
        QCoreApplication::instance()->installEventFilter(
            new ManualKey([this] { main_->openManual(); }, main_.get()));
    }
}

AppShell::~AppShell() {
    // The main window refers to the host; it goes first.
    tables_.reset();
    main_.reset();
    host_.reset();
}

void AppShell::start() {
    SettingsIni ini(settingsFilePath());
    ini.load();
    StationImage& image = station();
    const StartupResult result = applyStartupSettings(
        ini, image, [this](const QString& device) { return selectPort(device); });
    main_->setUserAddress(image.address_list[kUserAddressEntry].address, true);
    host_->port().setTurnaroundUs(std::llround(programSettings().turnaroundMs * 1000.0));
    applyQtTranslation(language());
    host_->startLineMonitoring();
    host_->link().rx->setCount(0);
    main_->show();
    if (!result.portOk) {
        const QString hint = portHint();
        prompts().error(hint.isEmpty() ? txt(154) : txt(154) + QStringLiteral("\n\n") + hint);
        openSettings();
    }
}

TLinTab& AppShell::tableEditor() {
    // Made when first needed rather than at start-up, then kept for the program's life.
    if (!tables_) {
        tables_ = std::make_unique<TLinTab>(station(), prompts(), main_.get());
    }
    return *tables_;
}

void AppShell::openSettings() {
    TNastaveni dialog(*this, settingsFilePath(), prompts(), main_.get());
    dialog.exec();
}

void AppShell::openAbout() {
    TAboutBox box(main_.get());
    box.exec();
}

void AppShell::openPassword() {
    TPasswordForm form(*this, main_.get());
    form.exec();
}

void AppShell::openDebugInfo() {
    TDebugInfoForm form(main_.get());
    form.exec();
}

QStringList AppShell::availablePorts() const {
    QStringList ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        ports << info.portName();
    }
    // A pseudo-terminal (the simulator's) is not enumerated but is the port in use.
    const QString current = host_->serialPort().device();
    if (!current.isEmpty() && !ports.contains(current) &&
        !ports.contains(QSerialPortInfo(current).portName())) {
        ports.prepend(current);
    }
    return ports;
}

void AppShell::userAddressChanged(int address) {
    main_->setUserAddress(address, true);
}

void AppShell::writeEndComm() {
    host_->writeRequest(END_COMM);
}

void AppShell::closePort() {
    host_->serialPort().close();
}

bool AppShell::selectPort(const QString& device) {
    host_->serialPort().setDevice(device);
    return host_->serialPort().open();
}

QString AppShell::portHint() const {
    return host_->serialPort().accessHint();
}

QString AppShell::currentPort() const {
    return host_->serialPort().device();
}

void AppShell::refreshMainCaptions() {
    applyQtTranslation(language());
    main_->applyCaptions();
}

void AppShell::restartLineMonitoring() {
    host_->startLineMonitoring();
}

void AppShell::appendMainCaption(const QString& suffix) {
    main_->appendCaptionSuffix(suffix);
}

void AppShell::showDebugConsole() {
    host_->enterDebugMode();
}

void AppShell::accessModeChanged() {
    if (channelEditor_) {
        channelEditor_->accessModeChanged();
    }
}

void AppShell::openMemoryWindow() {
    TmemInfo window(station(), main_.get());
    window.exec();
}

void AppShell::openChannelEditor(int channel) {
    TDefVeliciny::Callbacks callbacks;
    callbacks.refreshGridRow = [this](int n) { main_->fillChannelRow(n); };
    callbacks.openMemoryWindow = [this] { openMemoryWindow(); };
    callbacks.openPassword = [this] { openPassword(); };
    TDefVeliciny editor(channel, station(), host_->port(), host_->link(), tableEditor(), prompts(),
                        callbacks, main_.get());
    channelEditor_ = &editor;
    editor.exec();
    channelEditor_ = nullptr;
}

}  // namespace pelmo
