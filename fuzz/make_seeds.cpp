// Writes the seed corpora: answers captured from the in-process simulator and files the
// program writes for its default station.
//   make_seeds DIR    (DIR is fuzz/corpus; one folder per harness)
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "archives/archive_logic.h"
#include "bus/address_map.h"
#include "files/archive_file.h"
#include "files/monitoring_file.h"
#include "files/settings_ini.h"
#include "files/station_file.h"
#include "files/table_file.h"
#include "link/block_codecs.h"
#include "link/in_process_port.h"
#include "link/request_table.h"
#include "sim/in_process_sim.h"
#include "sim/sim_bus.h"

using namespace pelmo;
using Bytes = std::vector<std::uint8_t>;

namespace {

QString g_root;

void write(const char* harness, const std::string& name, const QByteArray& bytes) {
    const QString dir = g_root + QLatin1Char('/') + QLatin1String(harness);
    QDir().mkpath(dir);
    QFile f(dir + QLatin1Char('/') + QString::fromStdString(name));
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(f.fileName()));
        std::exit(2);
    }
}

void write(const char* harness, const std::string& name, const Bytes& bytes) {
    write(harness, name,
          QByteArray(reinterpret_cast<const char*>(bytes.data()),
                     static_cast<qsizetype>(bytes.size())));
}

// The simulated default station at 251 behind an in-process port.
struct Capture {
    Capture() : sim(bus, port) {
        bus.addStation(251);
        image.bus_address = 251;
        ctx.image = &image;
        ctx.clock = [] { return LocalDateTime{2024, 5, 6, 7, 8, 9}; };
        port.setReceiveHandler([this](std::span<const std::uint8_t> b) {
            received.insert(received.end(), b.begin(), b.end());
        });
    }

    Bytes ask(int request, std::uint16_t index = 0) {
        image.current_index = index;
        TxBuffer tx{};
        const int n = buildRequest(tx, request, ctx).length;
        received.clear();
        (void)port.write(std::span<const std::uint8_t>(tx.data(), static_cast<std::size_t>(n)));
        sim.advance(200);
        return received;
    }
    void ack() {
        const std::uint8_t a = kAckByte;
        (void)port.write(std::span<const std::uint8_t>(&a, 1));
        sim.advance(20);
    }

    sim::SimBus bus{[] { return 0x584ACE25u; }};
    InProcessPort port;
    sim::InProcessSim sim;
    StationImage image;
    BuildContext ctx;
    Bytes received;
};

// An engine seed: request, mode byte, expected length, then the answer as one chunk.
Bytes engineSeed(int request, const Bytes& answer, bool ackFirst = false) {
    const AnswerMode listed = requestInfo(request).mode;
    const int mode = static_cast<int>(listed == AnswerMode::None ? AnswerMode::Trailer : listed);
    Bytes s{static_cast<std::uint8_t>(request),
            static_cast<std::uint8_t>(mode | (ackFirst ? 0x08 : 0)), 0};
    for (std::size_t at = 0; at < answer.size(); at += 255) {
        const std::size_t n = std::min<std::size_t>(255, answer.size() - at);
        s.push_back(static_cast<std::uint8_t>(n));
        s.insert(s.end(), answer.begin() + static_cast<std::ptrdiff_t>(at),
                 answer.begin() + static_cast<std::ptrdiff_t>(at + n));
    }
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds DIR\n");
        return 2;
    }
    g_root = QString::fromLocal8Bit(argv[1]);
    Capture c;

    const Bytes comm = c.ask(COMM);
    write("fuzz_engine", "comm", engineSeed(COMM, comm));
    const Bytes cmos = c.ask(READ_CMOS);
    write("fuzz_cmos", "default", cmos);
    write("fuzz_engine", "cmos", engineSeed(READ_CMOS, cmos));
    const Bytes meter = c.ask(READ_METER);
    write("fuzz_meter", "default", meter);
    const Bytes station = c.ask(READ_STATION);
    write("fuzz_station", "default", station);
    for (std::uint16_t n = 1; n <= kChannelCount; n += 3) {
        const Bytes ch = c.ask(READ_CHANNEL, n);
        write("fuzz_channel", "channel" + std::to_string(n), ch);
        if (n == 1) {
            write("fuzz_engine", "channel1", engineSeed(READ_CHANNEL, ch));
        }
    }
    const Bytes status = c.ask(READ_STATUS);
    write("fuzz_status", "default", status);
    write("fuzz_registers", "default", c.ask(READ_REGISTERS));
    write("fuzz_maximum", "default", c.ask(READ_MAXIMUM));
    (void)c.ask(FLY_SET);
    write("fuzz_flying", "default", c.ask(FLY_READ));
    const Bytes live = c.ask(READ_LIVE);
    write("fuzz_live", "default", live);
    write("fuzz_engine", "live", engineSeed(READ_LIVE, live));
    for (std::uint16_t q : {1, 7, 15}) {
        write("fuzz_archive_description", "quantity" + std::to_string(q),
              c.ask(READ_ARCHIVE_INFO, q));
    }
    for (std::uint16_t a : {0, 3, 25, 50}) {
        write("fuzz_archive_record", "archive" + std::to_string(a), c.ask(READ_ARCHIVE_DATA, a));
    }
    const Bytes messages1 = c.ask(READ_MESSAGES);
    c.ack();
    const Bytes messages2 = c.ask(READ_MESSAGES);
    write("fuzz_message_blocks", "first", messages1);
    write("fuzz_message_blocks", "further", messages2);
    write("fuzz_engine", "messages", engineSeed(READ_MESSAGES, messages1));

    write("fuzz_monitoring_status", "default", c.ask(STAV_MER));
    (void)c.ask(START_PRENOS);
    const Bytes block1 = c.ask(SEND_BLOCK, 1);
    c.ack();
    const Bytes block2 = c.ask(SEND_BLOCK, 1);
    write("fuzz_monitoring_block", "first", block1);
    write("fuzz_monitoring_block", "further", block2);
    write("fuzz_engine", "block", engineSeed(SEND_BLOCK, block2, true));
    write("fuzz_engine", "end", engineSeed(END_COMM, c.ask(END_COMM)));

    // A search over three addresses with the station at 2: silence at 1, then COMM,
    // READ_STATION and END_COMM answered.
    Bytes search{2, 0};
    for (const Bytes* a : {&comm, &station}) {
        search.push_back(static_cast<std::uint8_t>(a->size()));
        search.insert(search.end(), a->begin(), a->end());
    }
    search.insert(search.end(), {1, kAckByte});
    write("fuzz_search", "one-station", search);

    // Files the program writes for the station it just read.
    StationImage image;
    resetNewStation(image);
    CmosIdentity raw{};
    decodeCmos(cmos, raw, image.cmos);
    decodeMeter(meter, image.meter);
    decodeStation(station, image.station);
    for (std::uint16_t n = 1; n <= kChannelCount; ++n) {
        (void)decodeChannel(c.ask(READ_CHANNEL, n), image.cmos, image.channel(n),
                            image.channelData(n));
    }
    write("fuzz_station_file", "default.sta", encodeStationFile(image, {}));
    write("fuzz_station_file", "gas.con", encodeStationFile(image, {true}));

    MonitoringRecording recording;
    recording.list(1).assign(kSampleListHeader, 0);
    for (int i = 0; i < 40; ++i) {
        recording.list(1).push_back(static_cast<std::uint8_t>(3 + i * 6));
    }
    recording.list(4).assign(kSampleListHeader + 3, 100);
    QByteArray mon;
    if (encodeMonitoringFile(recording, mon)) {
        write("fuzz_monitoring_file", "small.mon", mon);
    }

    const auto lin = encodeTableFile(0.0, 100.0, {{0, 0}, {1000, 10.5}, {4000, 100}}, std::nullopt);
    const auto lif = encodeTableFile(-5.0, 250.0, {{10, 1}, {20000, 250}}, std::uint16_t{16});
    write("fuzz_table_file", "table.lin", *lin);
    write("fuzz_table_file", "table.lif", *lif);

    AddressEntries list;
    list[0] = {3, "Kotelna"};
    list[1] = {251, std::string("V\xB0") + "ch,1"};
    write("fuzz_address_map", "two.map", encodeAddressMap(list));

    ArchiveRecordState state;
    (void)decodeArchiveRecord(c.ask(READ_ARCHIVE_DATA, 3), 3, state);
    setStationClock(state, 0x584ACE25u);
    ArchiveRows rows;
    rows[0] = {QStringLiteral("Teplo"), QStringLiteral("123,456"), QStringLiteral("GJ")};
    rows[1] = {QStringLiteral("Hmota"), QStringLiteral("9,5"), QStringLiteral("t")};
    write("fuzz_archive_file", "O_03_2023.dat", encodeArchiveFile(state, rows));

    QTemporaryDir tmp;
    SettingsIni ini(tmp.filePath(QStringLiteral("settings.ini")));
    ini.writeInteger(QStringLiteral("Settings"), QStringLiteral("addr"), 251);
    ini.writeInteger(QStringLiteral("Settings"), QStringLiteral("lang"), 1);
    ini.writeString(QStringLiteral("Settings"), QStringLiteral("PortName"),
                    QStringLiteral("/dev/ttyUSB0"));
    ini.writeInteger(QStringLiteral("Settings"), QStringLiteral("ExportDate"), 1);
    write("fuzz_settings_ini", "settings.ini", ini.contents());
    return 0;
}
