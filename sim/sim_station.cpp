#include "sim/sim_station.h"

#include <algorithm>

#include "link/block_codecs.h"
#include "link/byte_fields.h"
#include "link/time_code.h"

namespace pelmo::sim {

namespace {

constexpr std::size_t kVersionByte = 36;
constexpr std::size_t kLockByte = 37;
constexpr std::uint8_t kLockedValue = 0x80;
constexpr std::size_t kStationAddressField = 2;
constexpr std::size_t kStationMessagesField = 16;
constexpr std::size_t kStationNameField = 31;
constexpr std::size_t kStationNameWidth = 20;
constexpr std::size_t kDefaultMessageCapacity = 10;

std::vector<std::uint8_t> ack() {
    return {kAckByte};
}

// The payload of a class-02h request: after the length byte, before the trailer.
std::span<const std::uint8_t> lengthPrefixedPayload(std::span<const std::uint8_t> rq) {
    return rq.size() < 6 ? std::span<const std::uint8_t>{} : rq.subspan(4, rq.size() - 6);
}

std::uint8_t at(std::span<const std::uint8_t> bytes, std::size_t i) {
    return i < bytes.size() ? bytes[i] : 0;
}

// A channel block as READ_CHANNEL returns it: the programming payload without its index.
std::vector<std::uint8_t> channelBlockOf(int n, const definice_PV_rec& s,
                                         const definice_PV_udaj_rec& d) {
    std::vector<std::uint8_t> payload(channelPayloadLength(s));
    if (!encodeChannel(n, s, d, payload)) {
        definice_PV_rec cleared;
        definice_PV_udaj_rec clearedData;
        payload.assign(channelPayloadLength(cleared), 0);
        (void)encodeChannel(n, cleared, clearedData, payload);
    }
    return {payload.begin() + 1, payload.end()};
}

}  // namespace

SimClock systemClock() {
    return [] { return timeCodeFromLocal(systemLocalTime()); };
}

std::vector<std::uint8_t> datagramAnswer(std::uint8_t b2, std::uint8_t b3,
                                         std::span<const std::uint8_t> payload) {
    const std::size_t n = std::min<std::size_t>(payload.size(), 0xFF);
    std::vector<std::uint8_t> out{kAckByte, kStartByte, b2, b3, static_cast<std::uint8_t>(n)};
    out.insert(out.end(), payload.begin(), payload.begin() + static_cast<std::ptrdiff_t>(n));
    out.resize(out.size() + 2);
    appendTrailer(std::span<std::uint8_t>(out).subspan(1));
    return out;
}

std::vector<std::uint8_t> continuationAnswer(std::uint8_t status,
                                             std::span<const std::uint8_t> data) {
    const std::size_t n = std::min<std::size_t>(data.size(), 0xFF);
    std::vector<std::uint8_t> out{kAckByte, status, static_cast<std::uint8_t>(n)};
    out.insert(out.end(), data.begin(), data.begin() + static_cast<std::ptrdiff_t>(n));
    out.resize(out.size() + 2);
    appendTrailer(std::span<std::uint8_t>(out).subspan(1));
    return out;
}

SimStation::SimStation(int address, SimClock clock)
    : address_(address), clock_(clock ? std::move(clock) : systemClock()) {
    load(defaultStation(address, clock_()));
}

SimStation::SimStation(int address, SimClock clock, const StationContent& content)
    : address_(address), clock_(clock ? std::move(clock) : systemClock()) {
    load(content);
}

void SimStation::load(const StationContent& c) {
    cmos_.assign(kCmosAnswerPayload, 0);
    (void)encodeCmos(c.cmosIdentity, c.image.cmos,
                     std::span<std::uint8_t>(cmos_).first(kCmosWritePayload));
    cmos_[kVersionByte] = c.secondVersionByte;
    cmos_[kLockByte] = c.image.cmos.locked ? kLockedValue : 0;
    meter_.assign(kMeterPayload, 0);
    (void)encodeMeter(c.image.meter, meter_);
    for (int n = 1; n <= kChannelCount; ++n) {
        channels_[n - 1] = channelBlockOf(n, c.image.channel(n), c.image.channelData(n));
    }
    station_.assign(kStationPayload, 0);
    (void)encodeStation(c.image.station, now(), station_);

    archiveLabels_ = c.archive;
    messages_ = c.messages;
    meteringSince_ = c.meteringSince;
    lastProgrammed_ = c.lastProgrammed;
    partialSince_ = c.partialSince;
    monitoringSince_ = c.monitoringSince;
    maximumTime_ = c.maximumTime;
    maximumValue_ = c.maximumValue;
    // A flying measurement over five intervals finished an hour before start-up.
    fly_ = Fly{1, 5, now() - 3600, std::nullopt};
}

std::uint32_t SimStation::now() const {
    return static_cast<std::uint32_t>(static_cast<std::int64_t>(clock_()) + clockOffset_);
}

void SimStation::addFaults(const FaultSettings& f) {
    FaultSettings& s = faults_.settings();
    s.silent = s.silent || f.silent;
    s.locked = s.locked || f.locked;
    s.noAnswer |= f.noAnswer;
    s.dropByte |= f.dropByte;
    s.extraByte |= f.extraByte;
    if (f.corruptEvery) {
        s.corruptEvery = f.corruptEvery;
    }
    if (f.delayMs) {
        s.delayMs = f.delayMs;
    }
    if (f.shortBuffer != ShortBuffer::Off) {
        s.shortBuffer = f.shortBuffer;
        s.shortChannel = f.shortChannel;
    }
    if (f.locked) {
        cmos_[kLockByte] = kLockedValue;
    }
}

const std::vector<std::uint8_t>& SimStation::channelBlock(int n) const {
    return channels_[static_cast<std::size_t>(std::clamp(n, 1, kChannelCount) - 1)];
}

void SimStation::setName(const std::string& name) {
    FieldWriter(station_).text(kStationNameField, kStationNameWidth, name);
}

bool SimStation::locked() const {
    return cmos_[kLockByte] == kLockedValue;
}

void SimStation::sessionStarted() {
    last_ = {};
    transferOpen_ = false;
    sending_.clear();
}

void SimStation::sessionEnded() {
    sessionStarted();
}

std::optional<std::vector<std::uint8_t>> SimStation::answer(int id,
                                                            std::span<const std::uint8_t> rq) {
    if (id != READ_MESSAGES && id != SEND_BLOCK) {
        last_ = LastAnswer{id};
    }
    switch (id) {
        case COMM: {
            const std::uint8_t payload[] = {0, 0, 0, static_cast<std::uint8_t>(address_)};
            return datagramAnswer(at(rq, 1), at(rq, 2), payload);
        }
        case READ_REGISTERS:
            // The answering station names itself where the code byte would be.
            return datagramAnswer(at(rq, 1), static_cast<std::uint8_t>(address_), registers());
        case READ_STATUS:
            return datagramAnswer(at(rq, 1), at(rq, 2), status());
        case READ_CMOS:
        case READ_CMOS_CHECK:
            return datagramAnswer(at(rq, 1), at(rq, 2), cmos_);
        case READ_METER:
            return datagramAnswer(at(rq, 1), at(rq, 2), meter_);
        case READ_STATION:
            return datagramAnswer(at(rq, 1), at(rq, 2), station_);
        case READ_CHANNEL: {
            const std::uint8_t index = at(rq, 4);
            if (index >= kChannelCount) {
                return std::nullopt;
            }
            return datagramAnswer(at(rq, 1), at(rq, 2), channels_[index]);
        }
        case READ_ARCHIVE_INFO:
            return archiveInfo(at(rq, 4));
        case READ_ARCHIVE_DATA:
            return archiveData(at(rq, 4));
        case READ_MESSAGES:
            return messageBlock();
        case READ_LIVE:
            return datagramAnswer(at(rq, 1), at(rq, 2), live());
        case STAV_MER:
            return datagramAnswer(at(rq, 1), at(rq, 2), monitoringStatus());
        case SEND_BLOCK:
            return monitoringBlock(at(rq, 4) + 1);
        case READ_MAXIMUM:
            return datagramAnswer(at(rq, 1), at(rq, 2), maximum());
        case FLY_READ:
            return datagramAnswer(at(rq, 1), at(rq, 2), flyAnswer());
        default:
            return configure(id, rq);
    }
}

std::optional<std::vector<std::uint8_t>> SimStation::configure(int id,
                                                               std::span<const std::uint8_t> rq) {
    const std::span<const std::uint8_t> p = lengthPrefixedPayload(rq);
    switch (id) {
        case ERASE_STATION:
            erase();
            return ack();
        case SET_TIME: {
            // The time code travels most significant byte first after the broken-down date.
            const std::uint32_t code = (static_cast<std::uint32_t>(at(p, 6)) << 24) |
                                       (static_cast<std::uint32_t>(at(p, 7)) << 16) |
                                       (static_cast<std::uint32_t>(at(p, 8)) << 8) | at(p, 9);
            clockOffset_ = static_cast<std::int64_t>(code) - static_cast<std::int64_t>(clock_());
            return ack();
        }
        case WRITE_STATION:
            if (p.size() != kStationPayload) {
                return std::nullopt;
            }
            station_.assign(p.begin(), p.end());
            return ack();
        case WRITE_METER:
            if (p.size() != kMeterPayload) {
                return std::nullopt;
            }
            meter_.assign(p.begin(), p.end());
            return ack();
        case WRITE_CHANNEL:
            // No room for a channel that does not exist or a table beyond sixteen points.
            if (p.size() <= kChannelFixedPayload || p[0] >= kChannelCount ||
                p.size() > channelPayloadLength(definice_PV_rec{.table_points = kTablePoints})) {
                return std::nullopt;
            }
            channels_[p[0]].assign(p.begin() + 1, p.end());
            return ack();
        case WRITE_CMOS:
            if (p.size() != kCmosWritePayload) {
                return std::nullopt;
            }
            // Identity and serial number; the version byte and the lock stay the station's.
            std::copy(p.begin(), p.end(), cmos_.begin());
            return ack();
        case WRITE_ADDRESS: {
            const std::uint8_t address = at(rq, 4);
            if (address < 1 || address > kDefaultBusAddress) {
                return std::nullopt;
            }
            address_ = address;
            FieldWriter(station_).u16(kStationAddressField, address);
            return ack();
        }
        case LOCK_STATION:
            cmos_[kLockByte] = kLockedValue;
            return ack();
        case RESTART_MEASURING:
            restartMeasuring();
            return ack();
        case CLEAR_PARTIAL:
            partialSince_ = now();
            return ack();
        case START_PRENOS:
            transferOpen_ = true;
            return ack();
        case STOP_PRENOS:
            transferOpen_ = false;
            return ack();
        case FLY_SET:
            if (!flySet(p)) {
                return std::nullopt;
            }
            return ack();
        case END_COMM:
            return ack();
        default:
            return std::nullopt;
    }
}

void SimStation::erase() {
    for (int n = 1; n <= kChannelCount; ++n) {
        channels_[n - 1] = channelBlockOf(n, definice_PV_rec{}, definice_PV_udaj_rec{});
    }
    const std::uint32_t t = now();
    messages_.clear();
    measuring_ = false;
    meteringSince_ = t;
    partialSince_ = t;
    monitoringSince_ = t;
    maximumTime_ = 0;
    maximumValue_ = 0.0f;
    fly_ = Fly{1, 1, t, std::nullopt};
}

void SimStation::restartMeasuring() {
    const std::uint32_t t = now();
    if (!measuring_) {
        // After an erase everything counts from this moment.
        meteringSince_ = t;
        partialSince_ = t;
        monitoringSince_ = t;
    }
    measuring_ = true;
    lastProgrammed_ = t;
    logMessage(kMessageMeasuringStarted);
}

std::size_t SimStation::messageCapacity() const {
    const std::size_t n = FieldReader(station_).u16(kStationMessagesField);
    return n == 0 ? kDefaultMessageCapacity : n;
}

void SimStation::logMessage(std::uint8_t type) {
    messages_.push_back({now(), 0, type});
    const std::size_t capacity = messageCapacity();
    if (messages_.size() > capacity) {
        messages_.erase(messages_.begin(), messages_.end() - static_cast<std::ptrdiff_t>(capacity));
    }
}

}  // namespace pelmo::sim
