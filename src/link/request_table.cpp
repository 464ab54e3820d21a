#include "link/request_table.h"

#include <algorithm>

#include "base/prompts.h"
#include "link/block_codecs.h"
#include "link/byte_fields.h"

namespace pelmo {

namespace {

// name, class, code, length, answer length, verification mode
constexpr std::array<RequestInfo, kRequestCount> kTable{{
    {"ACK", 0x00, 0x00, 1, 0, AnswerMode::None},
    {"READ_REGISTERS", 0x81, 0x07, 7, 75, AnswerMode::AtLeast},
    {"COMM", 0x81, 0x0A, 10, 11, AnswerMode::Exact},
    {"READ_STATUS", 0x40, 0x10, 5, 27, AnswerMode::Exact},
    {"ERASE_STATION", 0x40, 0x13, 5, 0, AnswerMode::Ack},
    {"SET_TIME", 0x02, 0x38, 16, 0, AnswerMode::Ack},
    {"READ_METER", 0x40, 0x26, 5, kMeterAnswerLength, AnswerMode::Exact},
    {"READ_CHANNEL", 0x02, 0x24, 7, 10, AnswerMode::AtLeast},
    {"READ_STATION", 0x40, 0x22, 5, 99, AnswerMode::Exact},
    {"WRITE_STATION", 0x02, 0x20, 98, 0, AnswerMode::Ack},
    {"WRITE_METER", 0x02, 0x2D, 92, 0, AnswerMode::Ack},
    {"WRITE_CHANNEL", 0x02, 0x21, 109, 0, AnswerMode::Ack},
    {"RESTART_MEASURING", 0x40, 0x31, 5, 0, AnswerMode::Ack},
    {"WRITE_ADDRESS", 0x80, 0xF6, 10, 0, AnswerMode::Ack},
    {"READ_CMOS", 0x40, 0xF3, 5, kCmosAnswerLength, AnswerMode::Exact},
    {"READ_CMOS_CHECK", 0x40, 0xF3, 5, kCmosAnswerLength, AnswerMode::Exact},
    {"WRITE_CMOS", 0x02, 0xF2, 42, 0, AnswerMode::Ack},
    {"END_COMM", 0x40, 0x0E, 5, 0, AnswerMode::Ack},
    {"LOCK_STATION", 0x80, 0xF6, 10, 0, AnswerMode::Ack},
    {"READ_ARCHIVE_INFO", 0x02, 0x2B, 7, 36, AnswerMode::Exact},
    {"READ_ARCHIVE_DATA", 0x02, 0x5E, 8, 70, AnswerMode::AtLeast},
    {"CLEAR_PARTIAL", 0x40, 0x5A, 5, 0, AnswerMode::Ack},
    {"READ_MESSAGES", 0x40, 0x47, 5, 6, AnswerMode::AtLeast},
    {"READ_LIVE", 0x40, 0x43, 5, 51, AnswerMode::Exact},
    {nullptr, 0x00, 0x00, 0, 0, AnswerMode::None},
    {"STAV_MER", 0x40, 0x41, 5, 87, AnswerMode::Exact},
    {"START_PRENOS", 0x40, 0x35, 5, 0, AnswerMode::Ack},
    {"SEND_BLOCK", 0x02, 0x45, 7, 10, AnswerMode::AtLeast},
    {nullptr, 0x00, 0x00, 0, 0, AnswerMode::None},
    {"READ_MAXIMUM", 0x40, 0x4D, 5, 31, AnswerMode::Exact},
    {"FLY_SET", 0x02, 0x49, 9, 0, AnswerMode::Ack},
    {"FLY_READ", 0x40, 0x4B, 5, 50, AnswerMode::Exact},
    {"STOP_PRENOS", 0x02, 0x36, 6, 0, AnswerMode::Ack},
}};

constexpr RequestInfo kNothing{nullptr, 0x00, 0x00, 0, 0, AnswerMode::None};

// Fixed payload bytes after the code byte, for requests whose payload never changes.
std::span<const std::uint8_t> fixedPayload(int id) {
    static constexpr std::uint8_t kRegisters[] = {0x01, 0xFB};
    static constexpr std::uint8_t kLock[] = {0x01, 0xFB, 0x80, 0x00, 0x00};
    static constexpr std::uint8_t kStopTransfer[] = {0x00};
    switch (id) {
        case READ_REGISTERS:
            return kRegisters;
        case LOCK_STATION:
            return kLock;
        case STOP_PRENOS:
            return kStopTransfer;
        default:
            return {};
    }
}

void header(TxBuffer& tx, const RequestInfo& info) {
    tx[0] = kStartByte;
    tx[1] = info.cls;
    tx[2] = info.code;
}

}  // namespace

const RequestInfo& requestInfo(int id) {
    if (id < 0 || id >= kRequestCount) {
        return kNothing;
    }
    return kTable[static_cast<std::size_t>(id)];
}

AnswerExpectation tableExpectation(Request id) {
    const RequestInfo& info = requestInfo(id);
    return {info.answerLength, info.mode, false};
}

const char* buildFailureTag(BuildFailure failure) {
    switch (failure) {
        case BuildFailure::StationDefinition:
            return " 2.8: Definice stanice - progr.";
        case BuildFailure::MeterDefinition:
            return " 2.6: Definice meridla - progr.";
        case BuildFailure::ChannelDefinition:
            return " 2.7: Definice veliciny-progr";
        case BuildFailure::Cmos:
            return " 2.5: CMOS - progr.";
        case BuildFailure::None:
            break;
    }
    return nullptr;
}

void reportBuildFailure(Prompts& where, BuildFailure failure) {
    if (const char* tag = buildFailureTag(failure)) {
        reportGeneralError(where, tag);
    }
}

int requestIdFor(std::uint8_t cls, std::uint8_t code) {
    for (int id = 1; id < kRequestCount; ++id) {
        const RequestInfo& info = kTable[static_cast<std::size_t>(id)];
        // LOCK_STATION shares class and code with WRITE_ADDRESS; callers tell them apart
        // by the payload.
        if (info.name && info.cls == cls && info.code == code) {
            return id;
        }
    }
    return -1;
}

int requestLength(std::uint8_t cls, std::uint8_t code, std::uint8_t lengthByte) {
    const int id = requestIdFor(cls, code);
    if (id < 0) {
        return 0;
    }
    if (cls != 0x02) {
        return kTable[static_cast<std::size_t>(id)].length;
    }
    if (id == WRITE_CHANNEL) {
        // The length byte counts the table pairs once: 103 + 2p, while 103 + 4p bytes follow.
        if (lengthByte < 103 || (lengthByte - 103) % 2 != 0) {
            return 0;
        }
        const int points = (lengthByte - 103) / 2;
        return 109 + 4 * points;
    }
    return 6 + lengthByte;
}

void appendTrailer(std::span<std::uint8_t> datagram) {
    if (datagram.size() < 2) {
        return;
    }
    std::uint8_t sum = 0;
    std::uint8_t x = 0;
    for (std::size_t i = 0; i + 2 < datagram.size(); ++i) {
        sum = static_cast<std::uint8_t>(sum + datagram[i]);
        x ^= datagram[i];
    }
    datagram[datagram.size() - 2] = sum;
    datagram[datagram.size() - 1] = x;
}

bool trailerMatches(std::span<const std::uint8_t> bytes, std::size_t start) {
    const std::size_t n = bytes.size();
    if (n < 2) {
        return false;
    }
    std::uint8_t sum = 0;
    std::uint8_t x = 0;
    for (std::size_t i = start; i + 2 < n; ++i) {
        sum = static_cast<std::uint8_t>(sum + bytes[i]);
        x ^= bytes[i];
    }
    return sum == bytes[n - 2] && x == bytes[n - 1];
}

BuiltRequest buildRequest(TxBuffer& tx, int id, const BuildContext& ctx) {
    const RequestInfo& info = requestInfo(id);
    if (info.length == 0) {
        return {};
    }
    tx.fill(0);
    if (id == ACK) {
        tx[0] = kAckByte;
        return {1, BuildFailure::None};
    }
    const StationImage& image = *ctx.image;
    const LocalDateTime now = ctx.clock ? ctx.clock() : systemLocalTime();
    header(tx, info);
    FieldWriter w(std::span<std::uint8_t>(tx).subspan(3));
    int length = info.length;
    std::span<std::uint8_t> payload = std::span<std::uint8_t>(tx).subspan(kRequestPayloadOffset);

    switch (id) {
        case COMM:
            w.bytes(0, std::array<std::uint8_t, 3>{0, 0, 0});
            w.u8(3, static_cast<std::uint32_t>(image.bus_address));
            w.u8(4, 0);
            break;
        case SET_TIME: {
            w.u8(0, 0x0A);
            w.u8(1, static_cast<std::uint32_t>(now.year - 2000));
            w.u8(2, static_cast<std::uint32_t>(now.month));
            w.u8(3, static_cast<std::uint32_t>(now.day));
            w.u8(4, static_cast<std::uint32_t>(now.hour));
            w.u8(5, static_cast<std::uint32_t>(now.minute));
            w.u8(6, static_cast<std::uint32_t>(now.second));
            w.u32be(7, timeCodeFromCalendar(now.year - 2000, now.month, now.day, now.hour,
                                            now.minute, now.second));
            break;
        }
        case READ_CHANNEL:
        case SEND_BLOCK:
            w.u8(0, 0x01);
            w.u8(1, static_cast<std::uint32_t>(image.current_index - 1));
            break;
        case READ_ARCHIVE_INFO:
            w.u8(0, 0x01);
            w.u8(1, image.current_index);
            break;
        case READ_ARCHIVE_DATA:
            w.u8(0, 0x02);
            w.u8(1, image.current_index);
            w.u8(2, 0x61);
            break;
        case WRITE_ADDRESS:
            w.u8(0, 0x01);
            w.u8(1, image.station.net_address);
            break;
        case FLY_SET: {
            const FlySetup fly = ctx.fly ? *ctx.fly : FlySetup{};
            w.u8(0, 0x03);
            w.u8(1, static_cast<std::uint32_t>(fly.band));
            w.u8(2, static_cast<std::uint32_t>(fly.count));
            w.u8(3, fly.clear_buffer ? 0x00 : 0x01);
            break;
        }
        case WRITE_STATION:
            w.u8(0, kStationPayload);
            if (!encodeStation(image.station, timeCodeFromLocal(now),
                               payload.first(kStationPayload))) {
                return {0, BuildFailure::StationDefinition};
            }
            break;
        case WRITE_METER:
            w.u8(0, kMeterPayload);
            if (!encodeMeter(image.meter, payload.first(kMeterPayload))) {
                return {0, BuildFailure::MeterDefinition};
            }
            break;
        case WRITE_CHANNEL: {
            const int n = image.current_index;
            const bool valid = n >= 1 && n <= kChannelCount;
            const definice_PV_rec* s = valid ? &image.channel(n) : nullptr;
            const std::size_t size = s ? channelPayloadLength(*s) : 0;
            if (!s || s->table_points > kTablePoints ||
                !encodeChannel(n, *s, image.channelData(n), payload.first(size))) {
                return {0, BuildFailure::ChannelDefinition};
            }
            w.u8(0, 103 + 2 * static_cast<std::uint32_t>(s->table_points));
            length = static_cast<int>(size) + 6;
            break;
        }
        case WRITE_CMOS:
            w.u8(0, kCmosWritePayload);
            if (!encodeCmos(image.cmos_file_identity, image.cmos,
                            payload.first(kCmosWritePayload))) {
                return {0, BuildFailure::Cmos};
            }
            break;
        default:
            w.bytes(0, fixedPayload(id));
            break;
    }
    appendTrailer(std::span<std::uint8_t>(tx).first(static_cast<std::size_t>(length)));
    return {length, BuildFailure::None};
}

}  // namespace pelmo
