#include "ui/main_window.h"

#include <QActionGroup>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QShortcut>
#include <QUrl>

#include "base/cp1250.h"
#include "base/prompts.h"
#include "base/texts.h"
#include "files/program_settings.h"
#include "services/manual.h"
#include "ui/serial_host_window.h"
#include "ui_main_window.h"
#include "widgets/grid_cells.h"
#include "widgets/typing_limit.h"

namespace pelmo {

namespace {

constexpr int kProgressIntervalMs = 10;
const char* const kStationHelpFile = "Varnox_JEDNOTKA.HLP";

// The memory picture: a small chip.
QIcon memoryIcon() {
    QPixmap pix(40, 40);
    pix.fill(Qt::transparent);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(60, 60, 60), 2));
    for (int i = 0; i < 4; ++i) {
        p.drawLine(10 + 7 * i, 2, 10 + 7 * i, 8);
        p.drawLine(10 + 7 * i, 32, 10 + 7 * i, 38);
    }
    p.setBrush(QColor(40, 90, 160));
    p.drawRoundedRect(6, 8, 28, 24, 3, 3);
    p.setPen(Qt::white);
    QFont f = p.font();
    f.setPixelSize(9);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRect(6, 8, 28, 24), Qt::AlignCenter, QStringLiteral("RAM"));
    return QIcon(pix);
}

}  // namespace

TZobrStanice::TZobrStanice(ProgramContext& program, TForm1& host, QWidget* parent)
    : QMainWindow(parent),
      ui(std::make_unique<Ui::TZobrStanice>()),
      program_(program),
      host_(host),
      image_(program.station),
      reader_(host.port(), program.link, program.prompts(), *this) {
    ui->setupUi(this);
    ui->i_pamet->setIcon(memoryIcon());
    // The limits are for typing: a longer name from a station or a file is kept whole.
    for (QLineEdit* box : {ui->e_nazev, ui->e_meridlo, ui->e_hlaseni, ui->e_adresa}) {
        limitTyping(box);
    }
    connect(ui->i_pamet, &QToolButton::clicked, this, &TZobrStanice::i_pametClick);
    // Menu shortcuts (Ctrl+C reads the station) win over the edit boxes' own keys.
    for (QWidget* w : {static_cast<QWidget*>(ui->e_nazev), static_cast<QWidget*>(ui->e_meridlo),
                       static_cast<QWidget*>(ui->e_hlaseni), static_cast<QWidget*>(ui->e_adresa),
                       static_cast<QWidget*>(ui->StringGrid1)}) {
        w->installEventFilter(this);
    }

    statusPanel_ = new QLabel(this);
    statusPanel_->setObjectName(QStringLiteral("StatusPanel0"));
    statusPanel_->setMinimumWidth(290);
    filePanel_ = new QLabel(this);
    filePanel_->setObjectName(QStringLiteral("StatusPanel1"));
    filePanel_->setMinimumWidth(50);
    ui->StatusBar1->addWidget(statusPanel_, 1);
    ui->StatusBar1->addWidget(filePanel_);

    buildMenus();
    buildGrid();
    setWindowTitle(mainWindowCaption());
    ui->ProgressBar1->setMaximum(kReadProgressMaximum);
    ui->ProgressBar1->hide();

    progressTimer_.setInterval(kProgressIntervalMs);
    connect(&progressTimer_, &QTimer::timeout, this, [this] {
        ui->ProgressBar1->setValue(std::min(host_.link().rx->count(), kReadProgressMaximum));
    });
    connect(ui->StringGrid1, &QTableWidget::cellClicked, this,
            &TZobrStanice::StringGrid1SelectCell);
    connect(ui->b_prerusit, &QPushButton::clicked, this, &TZobrStanice::b_prerusitClick);
    connect(ui->e_hlaseni, &QLineEdit::editingFinished, this, &TZobrStanice::e_hlaseniExit);
    auto wire = [this](const char* name, void (TZobrStanice::*handler)()) {
        QAction* a = action(name);
        a->setEnabled(true);
        connect(a, &QAction::triggered, this, handler);
    };
    wire("m_cteni", &TZobrStanice::m_cteniClick);
    wire("m_definovani", &TZobrStanice::m_definovaniClick);
    wire("m_nova", &TZobrStanice::m_novaClick);
    wire("m_ulozeni", &TZobrStanice::m_ulozeniClick);
    wire("m_programovani", &TZobrStanice::m_programovaniClick);
    wire("m_uzamceni", &TZobrStanice::m_uzamceniClick);
    wire("m_porovnani", &TZobrStanice::m_porovnaniClick);
    wire("m_monStanice", &TZobrStanice::m_monStaniceClick);
    wire("m_monSoubor", &TZobrStanice::m_monSouborClick);
    wire("m_archiv", &TZobrStanice::m_archivClick);
    wire("m_hlaseni", &TZobrStanice::m_hlaseniClick);
    wire("m_historie", &TZobrStanice::m_historieClick);
    wire("m_zeSite", &TZobrStanice::m_zeSiteClick);
    wire("m_zDisku", &TZobrStanice::m_zDiskuClick);
    wire("m_registry", &TZobrStanice::m_registryClick);
    wire("m_mezeAlarmu", &TZobrStanice::m_mezeAlarmuClick);
    wire("m_mezeMeridla", &TZobrStanice::m_mezeMeridlaClick);
    wire("m_infoHW", &TZobrStanice::m_infoHWClick);
    wire("m_maximum", &TZobrStanice::m_maximumClick);
    wire("m_letme", &TZobrStanice::m_letmeClick);
    wire("m_sledovani", &TZobrStanice::m_sledovaniClick);

    connect(&host_, &TForm1::busyChanged, this, &TZobrStanice::busChanged);
    busChanged(host_.busy());

    setMeterBoxEnabled(true);
    resetNewStation(image_);
}

TZobrStanice::~TZobrStanice() {
    progressTimer_.stop();
}

QMenu* TZobrStanice::addMenu(QMenu* parent, int text, const char* name) {
    QMenu* menu = parent ? parent->addMenu(QString()) : ui->MainMenu->addMenu(QString());
    menu->setObjectName(QString::fromLatin1(name));
    if (text >= 0) {
        captions_.emplace_back(menu, text);
    }
    return menu;
}

QAction* TZobrStanice::addAction(QMenu* menu, int text, const char* name,
                                 const QKeySequence& keys) {
    QAction* a = menu->addAction(QString());
    a->setObjectName(QString::fromLatin1(name));
    a->setShortcut(keys);
    if (text >= 0) {
        captions_.emplace_back(a, text);
    }
    // Commands come alive as their windows are wired in.
    a->setEnabled(false);
    return a;
}

void TZobrStanice::buildMenus() {
    QMenu* basic = addMenu(nullptr, 0, "m_zakladni");
    addAction(basic, 4, "m_cteni", QKeySequence(Qt::CTRL | Qt::Key_C));
    addAction(basic, 5, "m_definovani", QKeySequence(Qt::CTRL | Qt::Key_D));
    addAction(basic, 6, "m_nova", QKeySequence(Qt::CTRL | Qt::Key_N));
    addAction(basic, 7, "m_programovani", QKeySequence(Qt::CTRL | Qt::Key_P));
    addAction(basic, 8, "m_uzamceni");
    addAction(basic, 9, "m_ulozeni", QKeySequence(Qt::CTRL | Qt::Key_S));
    basic->addSeparator();
    QAction* quit = addAction(basic, 22, "m_konec", QKeySequence(Qt::ALT | Qt::Key_X));
    quit->setEnabled(true);
    connect(quit, &QAction::triggered, this, &TZobrStanice::m_konecClick);

    QMenu* more = addMenu(nullptr, 1, "m_dalsi");
    addAction(more, 10, "m_archiv", QKeySequence(Qt::CTRL | Qt::Key_A));
    addAction(more, 11, "m_sledovani");
    QMenu* monitoring = addMenu(more, 12, "m_monitoring");
    addAction(monitoring, 266, "m_monStanice", QKeySequence(Qt::CTRL | Qt::Key_M));
    addAction(monitoring, 267, "m_monSoubor");
    addAction(more, 13, "m_hlaseni", QKeySequence(Qt::CTRL | Qt::Key_H));
    QMenu* extra = addMenu(more, 14, "m_doplnkove");
    addAction(extra, 15, "m_mezeAlarmu");
    addAction(extra, 16, "m_maximum");
    addAction(extra, 17, "m_letme");
    addAction(extra, 18, "m_registry", QKeySequence(Qt::CTRL | Qt::Key_R));
    addAction(extra, 19, "m_mezeMeridla");
    addAction(extra, 20, "m_infoHW");

    QMenu* settings = addMenu(nullptr, 2, "m_nastaveniMenu");
    addAction(settings, 21, "m_nastaveni");
    addAction(settings, 196, "m_zeSite");
    addAction(settings, 195, "m_zDisku");
    settings->addSeparator();
    addressGroup_ = new QActionGroup(this);
    addressGroup_->setExclusive(true);
    for (int k = 1; k <= kAddressEntries; ++k) {
        QAction* a = settings->addAction(QString());
        a->setObjectName(QStringLiteral("m_adresa%1").arg(k));
        a->setCheckable(true);
        a->setVisible(false);
        addressGroup_->addAction(a);
        connect(a, &QAction::triggered, this, [this, k] { addressEntryClick(k); });
        addressEntries_[static_cast<std::size_t>(k - 1)] = a;
        if (k == 10 || k == 20) {
            settings->addSeparator();
        }
    }
    settings->addSeparator();
    userEntry_ = settings->addAction(QString());
    userEntry_->setObjectName(QStringLiteral("m_adresaUser"));
    userEntry_->setCheckable(true);
    userEntry_->setChecked(true);
    addressGroup_->addAction(userEntry_);
    connect(userEntry_, &QAction::triggered, this,
            [this] { addressEntryClick(kUserAddressEntry + 1); });

    QMenu* dataMenu = addMenu(nullptr, 1030, "m_data");
    addAction(dataMenu, 1021, "m_porovnani");
    addAction(dataMenu, 1202, "m_historie");

    QMenu* help = addMenu(nullptr, -1, "m_help");
    help->setTitle(QStringLiteral("Help"));
    QAction* manual = addAction(help, 388, "m_navod");
    manual->setEnabled(true);
    connect(manual, &QAction::triggered, this, &TZobrStanice::m_navodClick);
    QAction* stationManual = addAction(help, 389, "m_navodJednotka");
    stationManual->setEnabled(true);
    connect(stationManual, &QAction::triggered, this, &TZobrStanice::m_navodJednotkaClick);
    QAction* about = addAction(help, -1, "m_about");
    about->setText(QStringLiteral("About"));
    QAction* debug = addAction(help, -1, "m_debug");
    debug->setText(QStringLiteral("Debug mode"));
    debug->setVisible(false);
    QAction* debugInfo = addAction(help, -1, "m_debugInfo");
    debugInfo->setText(QStringLiteral("DebugInfo"));
    debugInfo->setVisible(false);
    // A hidden action's own shortcut is switched off, so the window carries the keys.
    auto hiddenShortcut = [this](QAction* target, const QKeySequence& keys, const char* name) {
        auto* shortcut = new QShortcut(keys, this);
        shortcut->setObjectName(QString::fromLatin1(name));
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, target, &QAction::trigger);
    };
    hiddenShortcut(debug, QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_H), "sc_debug");
    hiddenShortcut(debugInfo, QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_D), "sc_debugInfo");

    // Everything that talks to a station, or changes the image a sequence fills, waits while
    // a sequence runs, however it is reached; the group keeps each entry's own state.
    stationCommands_ = new QActionGroup(this);
    stationCommands_->setExclusionPolicy(QActionGroup::ExclusionPolicy::None);
    for (const char* name :
         {"m_cteni",       "m_definovani", "m_nova",      "m_programovani", "m_uzamceni",
          "m_ulozeni",     "m_archiv",     "m_sledovani", "m_monStanice",   "m_monSoubor",
          "m_hlaseni",     "m_mezeAlarmu", "m_maximum",   "m_letme",        "m_registry",
          "m_mezeMeridla", "m_infoHW",     "m_nastaveni", "m_zeSite",       "m_zDisku",
          "m_porovnani",   "m_historie"}) {
        stationCommands_->addAction(action(name));
    }
}

void TZobrStanice::busChanged(bool busy) {
    stationCommands_->setEnabled(!busy);
    addressGroup_->setEnabled(!busy);
    findChild<QMenu*>(QStringLiteral("m_data"))->menuAction()->setEnabled(!busy);
}

void TZobrStanice::setWindows(const Windows& windows) {
    windows_ = windows;
    auto wire = [this](const char* name, const std::function<void()>& open) {
        QAction* a = action(name);
        a->setEnabled(static_cast<bool>(open));
        disconnect(a, &QAction::triggered, this, nullptr);
        if (open) {
            connect(a, &QAction::triggered, this, [open] { open(); });
        }
    };
    wire("m_nastaveni", windows_.settings);
    wire("m_about", windows_.about);
    wire("m_debug", windows_.password);
    wire("m_debugInfo", windows_.debugInfo);
}

void TZobrStanice::buildGrid() {
    QTableWidget* grid = ui->StringGrid1;
    const QColor fixed = palette().color(QPalette::Button);
    for (int r = 0; r < kGridRows; ++r) {
        for (int c = 0; c < kGridColumns; ++c) {
            QTableWidgetItem* item = gridCell(grid, r, c);
            if (r == 0 || c == 0) {
                item->setBackground(fixed);
                item->setFlags(Qt::ItemIsEnabled);
            }
        }
    }
    for (int n = 1; n <= kChannelCount; ++n) {
        gridCell(grid, n, 0)->setText(channelRowLabel(n, false));
    }
    // Column 0 keeps its width, the others share the rest; rows share the height.
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    grid->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Fixed);
    grid->setColumnWidth(0, 50);
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    grid->setMinimumHeight(kGridRows * 22 + 4);
}

QAction* TZobrStanice::action(const char* objectName) const {
    return findChild<QAction*>(QString::fromLatin1(objectName));
}

void TZobrStanice::applyCaptions() {
    for (auto& [object, text] : captions_) {
        if (auto* menu = qobject_cast<QMenu*>(object)) {
            menu->setTitle(txt(text));
        } else if (auto* a = qobject_cast<QAction*>(object)) {
            a->setText(txt(text));
        }
    }
    ui->Label1->setText(txt(kTextStationPCCommunicationProgram));
    ui->l_nazev->setText(txt(kTextHead));
    ui->l_meridlo->setText(txt(kTextModeTab));
    ui->l_hlaseni->setText(txt(kTextMessagesTotal));
    ui->l_adresa->setText(txt(kTextNetAddress));
    for (int c = 1; c < kGridColumns; ++c) {
        gridCell(ui->StringGrid1, 0, c)->setText(txt(27 + c));
    }
    ui->b_prerusit->setText(txt(kTextBreak));
    setUserAddress(image_.address_list[kUserAddressEntry].address, userEntry_->isChecked());
    setStatusText(statusAfterLanguageChange(statusText()));
}

void TZobrStanice::setStatusText(const QString& text) {
    statusPanel_->setText(text);
}

QString TZobrStanice::statusText() const {
    return statusPanel_->text();
}

void TZobrStanice::setFileText(const QString& text) {
    filePanel_->setText(text);
}

void TZobrStanice::setUserAddress(int address, bool check) {
    userEntry_->setText(userAddressCaption(address));
    if (check) {
        userEntry_->setChecked(true);
    }
}

void TZobrStanice::refreshAddressEntries() {
    for (int k = 1; k <= kAddressEntries; ++k) {
        const TAddressList& entry = image_.address_list[static_cast<std::size_t>(k - 1)];
        QAction* a = addressEntries_[static_cast<std::size_t>(k - 1)];
        a->setVisible(entry.address != 0);
        a->setText(addressEntryCaption(entry));
    }
}

void TZobrStanice::appendCaptionSuffix(const QString& suffix) {
    captionSuffix_ += suffix;
    setWindowTitle(mainWindowCaption() + captionSuffix_);
}

void TZobrStanice::clearGridAndBoxes() {
    for (int r = 1; r < kGridRows; ++r) {
        for (int c = 1; c < kGridColumns; ++c) {
            gridCell(ui->StringGrid1, r, c)->setText(QString());
        }
        gridCell(ui->StringGrid1, r, 0)->setText(channelRowLabel(r, false));
    }
    ui->StringGrid1->clearSelection();
    ui->e_nazev->clear();
    ui->e_meridlo->clear();
    ui->e_hlaseni->clear();
    ui->e_adresa->clear();
}

void TZobrStanice::fillChannelRow(int n) {
    const definice_PV_rec& s = image_.channel(n);
    const definice_PV_udaj_rec& d = image_.channelData(n);
    // A channel not in use shows an empty row (a deleted channel must not leave its old name).
    const bool used = s.in_use != 0;
    gridCell(ui->StringGrid1, n, 1)->setText(used ? fromCp1250(d.name) : QString());
    gridCell(ui->StringGrid1, n, 2)->setText(used ? fromCp1250(d.text) : QString());
    gridCell(ui->StringGrid1, n, 3)->setText(inputCellText(s));
    gridCell(ui->StringGrid1, n, 4)->setText(used ? fromCp1250(d.sensor_type) : QString());
}

void TZobrStanice::markVariantChannels() {
    const auto marks = variantChannels(image_.meter.variant);
    for (int n = 1; n <= kChannelCount; ++n) {
        gridCell(ui->StringGrid1, n, 0)
            ->setText(channelRowLabel(n, marks[static_cast<std::size_t>(n)]));
    }
}

void TZobrStanice::fillFromImage() {
    clearGridAndBoxes();
    markVariantChannels();
    for (int n = 1; n <= kChannelCount; ++n) {
        fillChannelRow(n);
    }
    ui->e_nazev->setText(fromCp1250(image_.station.name));
    ui->e_adresa->setText(QString::number(image_.station.net_address));
    ui->e_hlaseni->setText(QString::number(image_.station.messages_total));
    ui->e_meridlo->setText(fromCp1250(image_.station.meter_name));
}

void TZobrStanice::setMeterBoxEnabled(bool on) {
    ui->e_meridlo->setEnabled(on);
    ui->l_meridlo->setEnabled(on);
    action("m_mezeMeridla")->setEnabled(on);
    action("m_uzamceni")->setEnabled(on);
}

void TZobrStanice::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // Restoring from minimised shows the window again; that must not clear a loaded station.
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
}

void TZobrStanice::closeEvent(QCloseEvent* event) {
    QMainWindow::closeEvent(event);
    // The program ends with its main window, even while the debug console is open.
    closeCurrentEngine(program_.link);
    host_.close();
    QCoreApplication::quit();
}

void TZobrStanice::FormShow() {
    host_.setCapture(false);
    applyCaptions();
    setStatusText(txt(kTextNewStation142));
    clearGridAndBoxes();
}

void TZobrStanice::m_konecClick() {
    QCoreApplication::quit();
}

void TZobrStanice::addressEntryClick(int entry) {
    resetNewStation(image_);
    image_.station_loaded = false;
    host_.writeRequest(END_COMM);
    const std::size_t index = static_cast<std::size_t>(entry - 1);
    if (index < image_.address_list.size()) {
        image_.bus_address = image_.address_list[index].address;
    }
}

void TZobrStanice::openHelp(const QString& fileName) {
    const QString path = QDir(QCoreApplication::applicationDirPath()).filePath(fileName);
    if (!QFileInfo::exists(path) || !QDesktopServices::openUrl(QUrl::fromLocalFile(path))) {
        program_.prompts().information(txt(kTextHelpFileNotFound) + path);
    }
}

void TZobrStanice::m_navodClick() {
    openManual();
}

void TZobrStanice::openManual() {
    const QString programDir = QCoreApplication::applicationDirPath();
    const QString path = manualPath(language(), programDir);
    if (path.isEmpty()) {
        const QString page = language() == Language::English
                                 ? QStringLiteral("manual/en/index.html")
                                 : QStringLiteral("manual/cs/index.html");
        program_.prompts().information(
            txt(kTextTheManualCannotBe)
                .arg(QDir::toNativeSeparators(QDir(programDir).filePath(page))));
    } else if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path))) {
        program_.prompts().information(txt(kTextTheManualIsIn).arg(QDir::toNativeSeparators(path)));
    }
}

void TZobrStanice::m_navodJednotkaClick() {
    openHelp(QString::fromLatin1(kStationHelpFile));
}

void TZobrStanice::StringGrid1SelectCell(int row, int) {
    // The channel editor uploads to the station; not while another sequence runs.
    if (row < 1 || row > kChannelCount || host_.busy()) {
        return;
    }
    QTableWidget* grid = ui->StringGrid1;
    grid->setRangeSelected(QTableWidgetSelectionRange(row, 1, row, kGridColumns - 1), true);
    if (!image_.station_loaded) {
        program_.prompts().warning(txt(kTextDataIncomplete));
        return;
    }
    if (windows_.channelEditor) {
        windows_.channelEditor(row);
    }
}

}  // namespace pelmo
