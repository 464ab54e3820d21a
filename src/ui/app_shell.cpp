#include "ui/app_shell.h"

#include <QCoreApplication>
#include <QDir>
#include <QKeyEvent>
#include <QSerialPortInfo>
#include <cmath>

#include "base/prompts.h"
#include "base/texts.h"
#include "editing/channel_definition_window.h"
#include "editing/lin_table_window.h"
#include "files/program_folder.h"
#include "files/program_settings.h"
#include "files/settings_ini.h"
#include "operations/memory_info_window.h"
#include "ui/about_window.h"
#include "ui/debug_info_window.h"
#include "ui/main_window.h"
#include "ui/password_window.h"
#include "ui/serial_host_window.h"
#include "ui/settings_dialog_window.h"
#include "widgets/qt_translation.h"

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

ProgramPlaces ProgramPlaces::ofTheProgram() {
    const QString programDir = QCoreApplication::applicationDirPath();
    return {programFolderFor(programDir), settingsFilePath(),
            QDir(programDir).filePath(QStringLiteral("pelmo-traffic.log")),
            defaultHistoryDatabasePath()};
}

ProgramPlaces ProgramPlaces::inFolder(const QString& folder) {
    const QDir dir(folder);
    return {folder, dir.filePath(QStringLiteral("settings.ini")),
            dir.filePath(QStringLiteral("pelmo-traffic.log")), QString()};
}

AppShell::AppShell(Prompts& prompts, const ProgramPlaces& places, const QString& portOverride,
                   StationPort* bus)
    : settingsFile_(places.settingsFile),
      history_(places.historyDatabase),
      program_(places.folder, prompts) {
    program_.trafficLog = places.trafficLog;
    program_.historyDatabase = places.historyDatabase;
    if (!places.historyDatabase.isEmpty()) {
        program_.history = &history_;
    }
    program_.settings.portOverride = portOverride;
    host_ = std::make_unique<TForm1>(program_, bus);
    // The main window comes first; it needs the serial host's port, so the host object
    // exists already but is set up (settings, lights) after the window.
    main_ = std::make_unique<TZobrStanice>(program_, *host_);
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
    SettingsIni ini(settingsFile_);
    ini.load();
    StationImage& image = program_.station;
    const StartupResult result =
        applyStartupSettings(ini, image, program_.settings,
                             [this](const QString& device) { return selectPort(device); });
    main_->setUserAddress(image.address_list[kUserAddressEntry].address, true);
    host_->port().setTurnaroundUs(std::llround(program_.settings.turnaroundMs * 1000.0));
    applyQtTranslation(language());
    host_->startLineMonitoring();
    host_->link().rx->setCount(0);
    main_->show();
    if (!result.portOk) {
        const QString hint = portHint();
        program_.prompts().error(hint.isEmpty() ? txt(kTextErrorOpenningPortPlease)
                                                : txt(kTextErrorOpenningPortPlease) +
                                                      QStringLiteral("\n\n") + hint);
        openSettings();
    }
}

TLinTab& AppShell::tableEditor() {
    // Made when first needed rather than at start-up, then kept for the program's life.
    if (!tables_) {
        tables_ = std::make_unique<TLinTab>(program_.station, program_.prompts(), program_.settings,
                                            main_.get());
    }
    return *tables_;
}

void AppShell::openSettings() {
    TNastaveni dialog(*this, settingsFile_, program_, main_.get());
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
    TmemInfo window(program_.station, main_.get());
    window.exec();
}

void AppShell::openChannelEditor(int channel) {
    TDefVeliciny::Callbacks callbacks;
    callbacks.refreshGridRow = [this](int n) { main_->fillChannelRow(n); };
    callbacks.openMemoryWindow = [this] { openMemoryWindow(); };
    callbacks.openPassword = [this] { openPassword(); };
    TDefVeliciny editor(channel, program_, host_->port(), tableEditor(), callbacks, main_.get());
    channelEditor_ = &editor;
    editor.exec();
    channelEditor_ = nullptr;
}

}  // namespace pelmo
