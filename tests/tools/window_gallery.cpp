// Saves pictures of the program's windows in Czech and English, with the main window showing
// the simulated default station, so their layout can be looked at without a display:
//   QT_QPA_PLATFORM=offscreen window_gallery OUTDIR
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdio>

#include "archives/archive_window.h"
#include "archives/messages_window.h"
#include "base/prompts.h"
#include "base/texts.h"
#include "bus/alarm_limits_window.h"
#include "bus/fly_window.h"
#include "bus/hardware_window.h"
#include "bus/maximum_window.h"
#include "bus/meter_limits_window.h"
#include "bus/registers_window.h"
#include "bus/search_window.h"
#include "editing/channel_definition_window.h"
#include "editing/flow_conversion_window.h"
#include "editing/lin_table_window.h"
#include "editing/meter_definition_window.h"
#include "files/settings_ini.h"
#include "history/history_database.h"
#include "history/history_window.h"
#include "history/history_window_logic.h"
#include "link/in_process_port.h"
#include "monitoring/mon_splash_window.h"
#include "monitoring/sled_dat_window.h"
#include "operations/lock_window.h"
#include "operations/memory_info_window.h"
#include "operations/programming_window.h"
#include "operations/station_compare_window.h"
#include "sim/in_process_sim.h"
#include "ui/about_window.h"
#include "ui/app_shell.h"
#include "ui/debug_info_window.h"
#include "ui/main_window.h"
#include "ui/password_window.h"
#include "ui/serial_host_window.h"
#include "ui/settings_dialog_window.h"
#include "widgets/please_wait_window.h"

namespace {

class NoPrompts final : public pelmo::Prompts {
public:
    void show(Kind, const QString&) override {}
    bool askYesNo(Kind, const QString&) override { return true; }
    QString openFile(const pelmo::FileDialogSpec&) override { return {}; }
    QString saveFile(const pelmo::FileDialogSpec&) override { return {}; }
};

void save(QWidget& w, const QString& dir, const QString& name) {
    w.show();
    QApplication::processEvents();
    const QString file = QDir(dir).filePath(name + QStringLiteral(".png"));
    w.grab().save(file);
    std::printf("%s\n", qPrintable(file));
    w.hide();
}

// The search over a bus of its own with three stations, and the query windows after their
// reads.
void saveBusWindows(pelmo::ProgramContext& program, pelmo::TZobrStanice& main, const QString& dir,
                    const QString& suffix) {
    pelmo::sim::SimBus bus;
    bus.addStation(3).setName("Kotelna Jih");
    bus.addStation(17).setName("Sklad");
    bus.addStation(251);
    pelmo::InProcessPort port;
    pelmo::sim::InProcessSim sim(bus, port);
    port.setReceiveHandler([&program](std::span<const std::uint8_t> b) { program.rx.append(b); });
    auto run = [&sim](const pelmo::StationSequence& s) {
        for (int i = 0; i < 100000 && s.engine(); ++i) {
            sim.advance(pelmo::kPollIntervalMs);
            s.engine()->poll();
        }
    };
    {
        pelmo::TVyhledani search(port, program, &main);
        search.show();
        pelmo::AddressSearch& s = search.search();
        for (int i = 0; i < 3000000 && !s.finished(); ++i) {
            if (s.pausing()) {
                s.pauseElapsed();
            } else if (s.engine()) {
                sim.advance(pelmo::kProbeIntervalMs);
                s.engine()->poll();
            }
        }
        save(search, dir, QStringLiteral("search") + suffix);
    }
    program.station.bus_address = 251;
    {
        pelmo::TRegistryForm w(port, program, &main);
        w.show();
        run(w.reader());
        save(w, dir, QStringLiteral("registers") + suffix);
    }
    {
        pelmo::TMaximum w(port, program, &main);
        w.show();
        run(w.reader());
        save(w, dir, QStringLiteral("maximum") + suffix);
    }
    {
        pelmo::TInfoHW w(port, program, &main);
        w.show();
        run(w.reader());
        save(w, dir, QStringLiteral("hardware") + suffix);
    }
    {
        pelmo::TLetMer w(port, program, &main);
        w.show();
        run(w.measurement());
        save(w, dir, QStringLiteral("fly") + suffix);
    }
    {
        pelmo::TMezMeridla w(port, program, &main);
        w.show();
        run(w.limits());
        save(w, dir, QStringLiteral("meterlimits") + suffix);
    }
    {
        pelmo::TMezAlarmu::MainWindow m;
        m.channelCell = [](int row, int column) {
            return column == 0 ? QStringLiteral("%1. CH").arg(row) : QStringLiteral("-");
        };
        pelmo::TMezAlarmu w(port, program, m, &main);
        w.show();
        run(w.limits());
        auto* grid = w.findChild<QTableWidget*>(QStringLiteral("StringGrid1"));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                          grid->visualRect(grid->model()->index(1, 1)).center());
        save(w, dir, QStringLiteral("alarmlimits") + suffix);
    }
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("gallery");
    QDir().mkpath(dir);
    NoPrompts quiet;
    // The readings below go to a history of their own, which the history window then lists.
    const QTemporaryDir historyDir;
    const QString historyPath = historyDir.filePath(QStringLiteral("history.sqlite"));

    pelmo::sim::SimBus bus;
    bus.addStation(251);
    pelmo::InProcessPort port;
    pelmo::sim::InProcessSim sim(bus, port);
    pelmo::ProgramPlaces places = pelmo::ProgramPlaces::inFolder(dir);
    places.historyDatabase = historyPath;
    pelmo::AppShell shell(quiet, places, {}, &port);
    pelmo::ProgramContext& program = shell.program();
    pelmo::TForm1& host = shell.host();
    pelmo::TZobrStanice& main = shell.mainWindow();
    program.station.station.memory_size = 32768;
    program.station.address_list[pelmo::kUserAddressEntry].address = 251;

    main.show();
    QApplication::setActiveWindow(&main);
    QTest::keyClick(&main, Qt::Key_C, Qt::ControlModifier);
    for (int i = 0; i < 100000 && main.reader().engine(); ++i) {
        sim.advance(pelmo::kPollIntervalMs);
        main.reader().engine()->poll();
    }

    for (pelmo::Language l : {pelmo::Language::Czech, pelmo::Language::English}) {
        pelmo::setLanguage(l);
        const QString suffix =
            l == pelmo::Language::Czech ? QStringLiteral("-cs") : QStringLiteral("-en");
        main.applyCaptions();
        main.resize(700, 520);
        save(main, dir, QStringLiteral("main") + suffix);
        main.show();
        host.resize(640, 420);
        host.refreshBusHealth();
        save(host, dir, QStringLiteral("console") + suffix);
        pelmo::TAboutBox about(&main);
        save(about, dir, QStringLiteral("about") + suffix);
        pelmo::TDebugInfoForm info(&main);
        save(info, dir, QStringLiteral("modifications") + suffix);
        pelmo::TNastaveni settings(shell, QDir(dir).filePath(QStringLiteral("settings.ini")),
                                   program, &main);
        save(settings, dir, QStringLiteral("settings") + suffix);
        pelmo::TPasswordForm password(shell, &main);
        save(password, dir, QStringLiteral("password") + suffix);
        {
            pelmo::TProgressForm programming(port, program, {}, &main);
            programming.show();
            for (int i = 0; i < 100000 && programming.programmer().engine(); ++i) {
                sim.advance(pelmo::kPollIntervalMs);
                programming.programmer().engine()->poll();
            }
            save(programming, dir, QStringLiteral("programming") + suffix);
        }
        {
            // The station against a copy of itself with two fields changed.
            pelmo::StationImage file = program.station;
            file.channelData(2).name = "PX";
            file.station.messages_total += 1;
            pelmo::TPorovnani compare(port, program, file, QStringLiteral("kotelna.sta"), &main);
            compare.show();
            for (int i = 0; i < 100000 && compare.compare().engine(); ++i) {
                sim.advance(pelmo::kPollIntervalMs);
                compare.compare().engine()->poll();
            }
            save(compare, dir, QStringLiteral("compare") + suffix);
        }
        {
            // A station of its own, so that each language gets one to lock.
            pelmo::sim::SimBus lockBus;
            lockBus.addStation(251);
            pelmo::InProcessPort lockPort;
            pelmo::sim::InProcessSim lockSim(lockBus, lockPort);
            lockPort.setReceiveHandler(
                [&program](std::span<const std::uint8_t> b) { program.rx.append(b); });
            pelmo::TLockStation lock(lockPort, program, &main);
            lock.show();
            for (int i = 0; i < 100000 && lock.locker().engine(); ++i) {
                lockSim.advance(pelmo::kPollIntervalMs);
                lock.locker().engine()->poll();
            }
            save(lock, dir, QStringLiteral("lock") + suffix);
        }
        {
            pelmo::TDefMeridla meter(program.station, quiet, program.settings.isGasVersion(), {},
                                     &main);
            save(meter, dir, QStringLiteral("meter") + suffix);
            pelmo::TmemInfo memory(program.station, &main);
            save(memory, dir, QStringLiteral("memory") + suffix);
            pelmo::TDefVeliciny channel(1, program, port, shell.tableEditor(), {}, &main);
            save(channel, dir, QStringLiteral("channel") + suffix);
            QTimer::singleShot(100, &shell.tableEditor(), [&shell, dir, suffix] {
                save(shell.tableEditor(), dir, QStringLiteral("table") + suffix);
                shell.tableEditor().reject();
            });
            shell.tableEditor().editChannel(1, channel);
        }
        {
            pelmo::TAutoVypocet conversion(program.station, quiet, program.settings, &main);
            conversion.prepare(3, QStringLiteral("1000,0000"));
            // Shown first: entering a box on showing would make the figures stale again.
            conversion.show();
            QApplication::processEvents();
            const char* boxes[] = {"le_VypTeplota", "le_VypTlak", "le_maxPracTepl",
                                   "le_maxPracTlak"};
            const char* values[] = {"200", "1", "250", "1,5"};
            for (int k = 0; k < 4; ++k) {
                auto* box = conversion.findChild<QLineEdit*>(QString::fromLatin1(boxes[k]));
                box->selectAll();
                QTest::keyClicks(box, QString::fromLatin1(values[k]));
            }
            QTest::mouseClick(conversion.findChild<QPushButton*>(QStringLiteral("l_prep")),
                              Qt::LeftButton);
            save(conversion, dir, QStringLiteral("flowconversion") + suffix);
            pelmo::TArchiv archive(port, program, &main);
            archive.session().setBaseFolder(dir);
            archive.show();
            for (int i = 0; i < 100000 && archive.session().engine(); ++i) {
                sim.advance(pelmo::kPollIntervalMs);
                archive.session().engine()->poll();
            }
            save(archive, dir, QStringLiteral("archive") + suffix);
            pelmo::THlaseni messages(port, program, &main);
            messages.show();
            for (int i = 0; i < 100000 && messages.transfer().engine(); ++i) {
                sim.advance(pelmo::kPollIntervalMs);
                messages.transfer().engine()->poll();
            }
            save(messages, dir, QStringLiteral("messages") + suffix);
        }
        pelmo::TPleaseWait wait(&main);
        save(wait, dir, QStringLiteral("wait") + suffix);
        {
            // The monitoring transfer, then the tracking view reading the configuration.
            // A station of its own: programming above erased the other's samples.
            pelmo::sim::SimBus monBus;
            monBus.addStation(251);
            pelmo::InProcessPort monPort;
            pelmo::sim::InProcessSim monSim(monBus, monPort);
            monPort.setReceiveHandler(
                [&program](std::span<const std::uint8_t> b) { program.rx.append(b); });
            auto drive = [&monSim](const std::function<pelmo::TCommunication*()>& engine) {
                for (int i = 0; i < 200000 && engine(); ++i) {
                    monSim.advance(pelmo::kPollIntervalMs);
                    engine()->poll();
                }
            };
            pelmo::TSledDat view(monPort, program, &main);
            pelmo::TMonSplash splash(monPort, program, view.recording(), {}, &main);
            splash.show();
            drive([&splash] { return splash.transfer().engine(); });
            save(splash, dir, QStringLiteral("monitoring-transfer") + suffix);
            view.resize(1100, 680);
            view.show();
            drive([&view] { return view.configReader().engine(); });
            view.setSourceText(pelmo::txt(pelmo::kTextSourceUnit));
            view.ScrollBar1Change(14400);
            save(view, dir, QStringLiteral("tracking") + suffix);

            // The live mode after a minute of records, the cursor on one of them; the
            // station's clock moves with the simulated link's time.
            std::int64_t liveMs = 0;
            pelmo::sim::SimBus liveBus(
                [&liveMs] { return 0x584ACE25u + static_cast<std::uint32_t>(liveMs / 1000); });
            liveBus.addStation(251);
            pelmo::InProcessPort livePort;
            pelmo::sim::InProcessSim liveLink(liveBus, livePort);
            livePort.setReceiveHandler(
                [&program](std::span<const std::uint8_t> b) { program.rx.append(b); });
            pelmo::TSledDat live(livePort, program, &main);
            live.openLive();
            live.resize(1100, 680);
            live.show();
            for (int i = 0; i < 200000 && live.configReader().engine(); ++i) {
                liveLink.advance(pelmo::kPollIntervalMs);
                live.configReader().engine()->poll();
            }
            pelmo::LiveTracker& tracker = live.liveTracker();
            for (int i = 0; i < 1000 && tracker.engine() && tracker.engine()->waiting(); ++i) {
                liveLink.advance(pelmo::kPollIntervalMs);
                tracker.engine()->poll();
            }
            for (int i = 0; i < 120; ++i) {
                liveMs += pelmo::LiveTracker::kTickMs;
                liveLink.advance(pelmo::LiveTracker::kTickMs);
                tracker.tick();
            }
            live.ScrollBar1Change(60);
            save(live, dir, QStringLiteral("live") + suffix);
            live.close();
        }
        {
            pelmo::THistorie history(port, program, historyPath, &main);
            history.resize(960, 520);
            save(history, dir, QStringLiteral("history") + suffix);
            // The first archive record kept, as the archive window reopens it.
            pelmo::HistoryDatabase db(historyPath);
            if (db.open()) {
                const auto stored = db.readings({0, pelmo::ReadingKind::Archive, {}});
                if (!stored.empty()) {
                    const auto rows = db.archiveRows(stored.back().id);
                    pelmo::TArchiv archive(port, program, &main);
                    archive.openStored(pelmo::storedArchiveTexts(stored.back(), rows),
                                       pelmo::storedArchivePosition(rows),
                                       pelmo::storedStationClock(stored.back()),
                                       QStringLiteral("2317  2024-03-01 12:00"));
                    save(archive, dir, QStringLiteral("history-archive") + suffix);
                }
            }
        }
        saveBusWindows(program, main, dir, suffix);
    }
    return 0;
}
