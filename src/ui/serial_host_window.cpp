#include "ui/serial_host_window.h"

#include <QActionGroup>
#include <QCoreApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenuBar>
#include <QScrollBar>
#include <QTableWidget>

#include "base/decimal_text.h"
#include "base/prompts.h"
#include "base/texts.h"
#include "ui_serial_host_window.h"

namespace pelmo {

namespace {

constexpr int kLightsIntervalMs = 100;

void paintLight(QLabel* light, bool on, const char* colour) {
    // The lights tick ten times a second, the console shown or not, and a new style sheet
    // means a style polish and a repaint: only a change restyles a light.
    const QVariant lit = light->property("lit");
    if (lit.isValid() && lit.toBool() == on) {
        return;
    }
    light->setProperty("lit", on);
    light->setStyleSheet(
        on ? QStringLiteral("background:%1;border:1px solid #444;").arg(QLatin1String(colour))
           : QStringLiteral("background:#ddd;border:1px solid #888;color:#666;"));
}

}  // namespace

TForm1::TForm1(ProgramContext& program, StationPort* bus, QWidget* parent)
    : QMainWindow(parent),
      ui(std::make_unique<Ui::TForm1>()),
      program_(program),
      link_(program.link),
      bus_(bus ? bus : &port_),
      log_(program.trafficLog) {
    ui->setupUi(this);
    buildMenu();
    ui->Memo1->installEventFilter(this);

    bus_->setReceiveHandler([this](std::span<const std::uint8_t> b) { receive(b); });
    bus_->setTrafficObserver([this](bool out, std::span<const std::uint8_t> b) {
        (out ? txActivity_ : rxActivity_) = true;
        log_.record(out, b);
    });
    // The port reports its own opening and closing on the Connect button.
    connect(&port_, &SerialStationPort::opened, this,
            [this] { ui->b_connect->setText(QStringLiteral("Close")); });
    connect(&port_, &SerialStationPort::closed, this,
            [this] { ui->b_connect->setText(QStringLiteral("Open")); });

    connect(ui->b_connect, &QPushButton::clicked, this, &TForm1::b_connectClick);
    connect(ui->b_send, &QPushButton::clicked, this, &TForm1::b_sendClick);
    connect(ui->b_clear, &QPushButton::clicked, this, &TForm1::b_clearClick);
    connect(ui->b_clearHealth, &QPushButton::clicked, this, &TForm1::b_clearHealthClick);
    connect(ui->b_setdate, &QPushButton::clicked, this, &TForm1::b_setdateClick);
    connect(ui->ch_codes, &QCheckBox::toggled, this, [](bool on) { setTextCodes(on); });
    connect(ui->ch_log, &QCheckBox::toggled, this, [this](bool on) {
        log_.setMode(on ? TrafficLog::Mode::AllHex : TrafficLog::Mode::Off);
    });

    link_.probeObserver = [this](int address) { showNote(QString::number(address)); };
    link_.busyObserver = [this](bool busy) { setBusy(busy); };

    // A station counts as locked until a CMOS block says otherwise.
    program_.station.cmos.locked = true;
    link_.rx->setCount(0);

    lights_.setInterval(kLightsIntervalMs);
    connect(&lights_, &QTimer::timeout, this, &TForm1::updateLights);
    updateLights();
    refreshBusHealth();
}

TForm1::~TForm1() {
    link_.probeObserver = nullptr;
    link_.busyObserver = nullptr;
}

void TForm1::setBusy(bool busy) {
    // The group keeps each command's own enable state for when the bus is free again.
    stationCommands_->setEnabled(!busy);
    for (QWidget* w : {static_cast<QWidget*>(ui->b_connect), static_cast<QWidget*>(ui->b_send),
                       static_cast<QWidget*>(ui->b_setdate)}) {
        w->setEnabled(!busy);
    }
    emit busyChanged(busy);
}

void TForm1::buildMenu() {
    QMenu* menu = ui->menubar->addMenu(QStringLiteral("Menu"));
    auto add = [&](const char* text, const char* name) {
        QAction* a = menu->addAction(QString::fromUtf8(text));
        a->setObjectName(QString::fromLatin1(name));
        a->setEnabled(false);
        return a;
    };
    a_read_ = add("Čtení stanice", "m_cteni");
    a_load_ = add("Definování stanice", "m_definovani");
    a_program_ = add("Programování stanice", "m_programovani");
    a_registers_ = add("Registry stanice", "m_registry");
    a_maximum_ = add("15-ti minutové maximum", "m_maximum");
    menu->addSeparator();
    a_settings_ = add("Nastavení programu", "m_nastaveni");
    a_about_ = add("About...", "m_about");
    stationCommands_ = new QActionGroup(this);
    stationCommands_->setExclusionPolicy(QActionGroup::ExclusionPolicy::None);
    for (QAction* a : {a_read_, a_load_, a_program_, a_registers_, a_maximum_, a_settings_}) {
        stationCommands_->addAction(a);
    }
    menu->addSeparator();
    QAction* quit = add("Konec", "m_konec");
    quit->setEnabled(true);
    connect(quit, &QAction::triggered, this, [this] {
        if (program_.prompts().yesNo(QString::fromUtf8("Ukončit program?"))) {
            QCoreApplication::quit();
        }
    });

    connect(a_read_, &QAction::triggered, this, [this] {
        ui->Memo1->clear();
        if (mainStatus_) {
            mainStatus_(QStringLiteral("Navazuji spojení...."));
        }
        writeRequest(COMM);
    });
    auto wire = [this](QAction* a, std::function<void()> Commands::*member) {
        connect(a, &QAction::triggered, this, [this, member] {
            if (commands_.*member) {
                (commands_.*member)();
            }
        });
    };
    wire(a_load_, &Commands::loadStationFile);
    wire(a_program_, &Commands::programStation);
    // The registers window makes its own request; the console only clears its capture.
    connect(a_registers_, &QAction::triggered, this, [this] {
        link_.rx->reset();
        ui->Memo1->clear();
        ui->StatusBar1->showMessage(QStringLiteral("Načítám data"));
        if (commands_.registers) {
            commands_.registers();
        }
    });
    wire(a_maximum_, &Commands::maximum);
    wire(a_settings_, &Commands::settings);
    wire(a_about_, &Commands::about);
}

void TForm1::setCommands(const Commands& commands) {
    commands_ = commands;
    a_read_->setEnabled(true);
    a_load_->setEnabled(static_cast<bool>(commands_.loadStationFile));
    a_program_->setEnabled(static_cast<bool>(commands_.programStation));
    a_registers_->setEnabled(static_cast<bool>(commands_.registers));
    a_maximum_->setEnabled(static_cast<bool>(commands_.maximum));
    a_settings_->setEnabled(static_cast<bool>(commands_.settings));
    a_about_->setEnabled(static_cast<bool>(commands_.about));
}

void TForm1::receive(std::span<const std::uint8_t> bytes) {
    if (capture()) {
        QString hex;
        for (std::uint8_t b : bytes) {
            hex += QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0'));
        }
        ui->Memo1->moveCursor(QTextCursor::End);
        ui->Memo1->insertPlainText(hex);
    }
    link_.rx->append(bytes);
}

bool TForm1::capture() const {
    return ui->ch_capture->isChecked();
}

void TForm1::setCapture(bool on) {
    ui->ch_capture->setChecked(on);
}

void TForm1::enterDebugMode() {
    setCapture(true);
    show();
    raise();
    activateWindow();
}

void TForm1::showNote(const QString& text) {
    ui->Label1->setText(text);
}

void TForm1::startLineMonitoring() {
    lights_.start();
    updateLights();
}

void TForm1::updateLights() {
    const LineStatus status = bus_->lineStatus();
    paintLight(ui->l_tx, txActivity_, "#4c4");
    paintLight(ui->l_rx, rxActivity_, "#4c4");
    paintLight(ui->l_dsr, status.dsr, "#fc3");
    paintLight(ui->l_cts, status.cts, "#fc3");
    paintLight(ui->l_err, status.error, "#e44");
    txActivity_ = false;
    rxActivity_ = false;
    refreshBusHealth();
}

void TForm1::refreshBusHealth() {
    const BusStatistics* statistics = link_.statistics;
    QTableWidget* grid = ui->g_busHealth;
    if (!statistics || (statistics->version() == healthVersion_ && grid->columnCount() > 0 &&
                        healthLanguage_ == language())) {
        return;
    }
    healthVersion_ = statistics->version();
    healthLanguage_ = language();
    const QStringList header = busHealthHeader();
    grid->setColumnCount(static_cast<int>(header.size()));
    grid->setHorizontalHeaderLabels(header);
    grid->verticalHeader()->hide();
    const auto& rows = statistics->byAddress();
    grid->setRowCount(static_cast<int>(rows.size()));
    int r = 0;
    for (const auto& [address, s] : rows) {
        const QStringList cells = busHealthCells(address, s);
        for (int c = 0; c < cells.size(); ++c) {
            grid->setItem(r, c, new QTableWidgetItem(cells[c]));
        }
        ++r;
    }
    grid->resizeColumnsToContents();
    ui->b_clearHealth->setText(txt(kTextResetTable));
    ui->b_clearHealth->setEnabled(!rows.empty());
    // Room for the header and four stations; the splitter above gives it more.
    const int rowHeight = grid->verticalHeader()->defaultSectionSize();
    grid->setMinimumHeight(grid->horizontalHeader()->sizeHint().height() + 4 * rowHeight +
                           2 * grid->frameWidth());
}

void TForm1::writeRequest(int request) {
    TxBuffer& tx = *link_.tx;
    const BuiltRequest built = buildRequest(tx, request, link_.build);
    reportBuildFailure(program_.prompts(), built.failure);
    if (built.length > 0) {
        (void)bus_->write(
            std::span<const std::uint8_t>(tx.data(), static_cast<std::size_t>(built.length)));
        // Nobody waits for the answer, but it comes all the same.
        const RequestInfo& info = requestInfo(request);
        bus_->abandonAnswer(info.answerLength > 0 ? info.answerLength : 1);
    }
}

void TForm1::b_connectClick() {
    auto engine = std::make_unique<TCommunication>(
        [this](ExchangeResult result) {
            ui->StatusBar1->showMessage(result == ExchangeResult::Failed
                                            ? txt(kTextErrorConnectiongToDevice)
                                            : QStringLiteral("OK"));
        },
        nullptr, *bus_, link_);
    TCommunication* sending = engine.get();
    link_.current = sending;
    if (adopter_) {
        adopter_(std::move(engine));
    } else {
        connectEngine_ = std::move(engine);
    }
    program_.station.current_index = 1;
    ui->StatusBar1->showMessage(txt(kTextInitializingConnection));
    sending->send(COMM, tableExpectation(COMM));
}

void TForm1::b_sendClick() {
    closeCurrentEngine(link_);
}

void TForm1::b_clearClick() {
    ui->Memo1->clear();
}

void TForm1::b_clearHealthClick() {
    if (link_.statistics) {
        link_.statistics->clear();
    }
    refreshBusHealth();
}

void TForm1::b_setdateClick() {
    setDate_ = std::make_unique<SetDateSequence>(
        *bus_, link_, program_.prompts(),
        [this](const QString& text) { ui->lblDateStatus->setText(text); });
    setDate_->start();
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->Memo1 && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        showNote(QString::number(text.isEmpty() ? key->key() : text.at(0).unicode()));
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace pelmo
