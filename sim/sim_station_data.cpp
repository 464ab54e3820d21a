// Measured data of a simulated station: status, registers, archives, message log, monitoring
// buffers, live values, fifteen-minute maxima and flying measurements. All of it is derived
// from the plant model and the station clock, so it moves on as the clock runs.
#include <algorithm>
#include <cmath>

#include "link/block_codecs.h"
#include "link/byte_fields.h"
#include "link/time_code.h"
#include "model/raw_scale.h"
#include "sim/sim_station.h"

namespace pelmo::sim {

namespace {

constexpr std::uint32_t kDay = 86400;
constexpr std::size_t kStatusPayload = 20;
constexpr std::size_t kRegistersPayload = 80;
constexpr std::size_t kArchiveInfoPayload = 29;
constexpr std::size_t kLivePayload = 44;
constexpr std::size_t kMonitoringStatusPayload = 80;
constexpr std::size_t kMaximumPayload = 24;
constexpr std::size_t kFlyPayload = 43;
constexpr std::size_t kMonitoringHeader = 18;
constexpr std::size_t kMessageRecord = 6;
// The host accepts a block from ten bytes on, so a continuation carries at least five.
constexpr std::size_t kSmallestContinuation = 5;
constexpr std::uint8_t kMoreFollows = 0x08;
constexpr std::size_t kMeterIntervalP1 = 68;
constexpr std::size_t kMeterIntervalP2 = 70;
constexpr std::size_t kMeterHysteresis = 6 + 4 * 9;  // constant 10

void putFloat(FieldWriter& w, std::size_t offset, double value) {
    if (!w.f32(offset, value)) {
        w.u32(offset, 0);
    }
}

std::size_t blockLength(std::size_t size, std::size_t offset) {
    const std::size_t remaining = size > offset ? size - offset : 0;
    std::size_t length = std::min(remaining, kMonitoringBlockBytes);
    const std::size_t rest = remaining - length;
    if (rest > 0 && rest < kSmallestContinuation) {
        length = remaining - kSmallestContinuation;
    }
    return length;
}

// Moment the month archive `number` (1..24) was closed: midnight starting the month after
// it. Month m of an odd year is archive m + 12, of an even year archive m. 0 when the last
// 24 months hold no such month.
std::uint32_t monthClosing(int number, std::uint32_t now) {
    StationCalendar cal;
    const int year = calendarFromTimeCode(now, cal) * 100 + cal.year;
    const int wantMonth = number > 12 ? number - 12 : number;
    const bool wantOdd = number > 12;
    for (int back = 1; back <= 24; ++back) {
        int m = cal.month - back;
        int y = year;
        while (m < 1) {
            m += 12;
            --y;
        }
        if (m != wantMonth || (y % 2 == 1) != wantOdd) {
            continue;
        }
        if (++m > 12) {
            m = 1;
            ++y;
        }
        return timeCodeFromCalendar(y % 100, m, 1, 0, 0, 0);
    }
    return 0;
}

// Midnight closing the daily archive `number` (25..32): day d goes to 25 + d mod 8.
std::uint32_t dayClosing(int number, std::uint32_t now) {
    const std::uint32_t today = now / kDay;
    const std::uint32_t r = static_cast<std::uint32_t>(number - 25);
    const std::uint32_t back = (today % 8 + 8 - r) % 8;
    return today >= back ? (today - back) * kDay : 0;
}

}  // namespace

std::array<float, kQuantityCount> SimStation::countersAt(std::uint32_t t) const {
    if (!measuring_ || t <= meteringSince_) {
        return {};
    }
    return accumulated((t - meteringSince_) / 3600.0);
}

bool SimStation::channelInUse(int n, definice_PV_rec& s, definice_PV_udaj_rec& d) const {
    const auto block = datagramAnswer(0x02, 0x24, channelBlock(n));
    (void)decodeChannel(block, CMOS_rec{}, s, d);
    return s.in_use != 0;
}

std::vector<std::uint8_t> SimStation::status() const {
    std::vector<std::uint8_t> p(kStatusPayload);
    FieldWriter w(p);
    w.u8(0, static_cast<std::uint32_t>(address_));
    w.u8(1, (measuring_ ? 0x01 : 0) | (locked() ? 0x02 : 0) | (transferOpen_ ? 0x04 : 0));
    w.u16(2, static_cast<std::uint32_t>(messages_.size()));
    w.u32(16, now());
    return p;
}

std::vector<std::uint8_t> SimStation::registers() const {
    const std::uint32_t t = now();
    const PlantState s = plantAt(t);
    const auto q = countersAt(t);
    const double h = steamEnthalpy(s.steamTemperature, s.steamPressure);
    const double flow = measuring_ ? s.steamFlow : 0.0;
    // Circuit 1 (eight values), circuit 2 (not metered here), condensate (three values).
    const std::array<double, 19> values{s.steamTemperature,
                                        s.steamPressure,
                                        h,
                                        flow * h / 3600.0,
                                        q[0],
                                        q[1],
                                        q[5],
                                        q[6],
                                        0.0,
                                        0.0,
                                        0.0,
                                        0.0,
                                        q[2],
                                        q[3],
                                        q[7],
                                        q[8],
                                        s.condensateTemperature,
                                        q[10],
                                        q[11]};
    std::vector<std::uint8_t> p(kRegistersPayload);
    FieldWriter w(p);
    w.u32(0, t);
    for (std::size_t i = 0; i < values.size(); ++i) {
        putFloat(w, 4 + 4 * i, values[i]);
    }
    return p;
}

std::optional<std::vector<std::uint8_t>> SimStation::archiveInfo(int number) const {
    if (number < 1 || number > kQuantityCount) {
        return std::nullopt;
    }
    const ArchiveLabel& a = archiveLabels_[static_cast<std::size_t>(number - 1)];
    std::vector<std::uint8_t> p(kArchiveInfoPayload);
    FieldWriter w(p);
    w.u16(0, static_cast<std::uint32_t>(number));
    // Labels come blank-padded, units NUL-padded; the program trims both.
    for (std::size_t i = 0; i < 16; ++i) {
        w.u8(2 + i, i < a.label.size() ? static_cast<std::uint8_t>(a.label[i]) : ' ');
    }
    for (std::size_t i = 0; i < 4 && i < a.unit.size(); ++i) {
        w.u8(18 + i, static_cast<std::uint8_t>(a.unit[i]));
    }
    w.u8(22, 3);  // decimals the station's own display uses
    return datagramAnswer(0x02, 0x2B, p);
}

bool SimStation::archiveRecord(int number, std::array<float, kQuantityCount>& values,
                               std::uint32_t& stamp) const {
    const std::uint32_t t = now();
    if (number == 0) {
        values = countersAt(t);
        stamp = lastProgrammed_;
        return true;
    }
    if (number == 50) {
        values = countersAt(t);
        const auto before = countersAt(partialSince_);
        for (std::size_t i = 0; i < values.size(); ++i) {
            values[i] -= before[i];
        }
        stamp = partialSince_;
        return true;
    }
    std::uint32_t closing = 0;
    if (number >= 1 && number <= 24) {
        closing = monthClosing(number, t);
    } else if (number >= 25 && number <= 32) {
        closing = dayClosing(number, t);
    } else {
        return false;
    }
    // Periods before metering began (or since the last erase) hold an empty record.
    const bool recorded = measuring_ && closing > meteringSince_ && closing <= t;
    values = recorded ? countersAt(closing) : std::array<float, kQuantityCount>{};
    stamp = recorded ? closing : 0;
    return true;
}

std::optional<std::vector<std::uint8_t>> SimStation::archiveData(int number) const {
    std::array<float, kQuantityCount> values{};
    std::uint32_t stamp = 0;
    if (!archiveRecord(number, values, stamp)) {
        return std::nullopt;
    }
    // The running records carry four status bytes before their time stamp; the stamp is
    // always the last four payload bytes, where the length byte points.
    const bool running = number == 0 || number == 50;
    std::vector<std::uint8_t> p(4 * kQuantityCount + (running ? 8 : 4));
    FieldWriter w(p);
    for (std::size_t i = 0; i < values.size(); ++i) {
        putFloat(w, 4 * i, values[i]);
    }
    if (running) {
        w.u8(60, measuring_ ? 1 : 0);
        w.u8(61, locked() ? 1 : 0);
    }
    w.u32(p.size() - 4, stamp);
    return datagramAnswer(0x02, 0x5E, p);
}

std::vector<std::uint8_t> SimStation::messageBlock() {
    const bool previous = last_.id == READ_MESSAGES;
    std::size_t block = 0;
    if (previous && !last_.acked) {
        block = last_.block;  // the host did not take it: same block again
    } else if (previous && last_.more) {
        block = last_.block + 1;
    } else {
        sending_.clear();
        for (const MessageRecord& m : messages_) {
            const std::uint8_t r[kMessageRecord] = {static_cast<std::uint8_t>(m.time),
                                                    static_cast<std::uint8_t>(m.time >> 8),
                                                    static_cast<std::uint8_t>(m.time >> 16),
                                                    static_cast<std::uint8_t>(m.time >> 24),
                                                    m.detail,
                                                    m.type};
            sending_.insert(sending_.end(), r, r + kMessageRecord);
        }
    }
    const std::size_t records = sending_.size() / kMessageRecord;
    const std::size_t blocks =
        std::max<std::size_t>(1, (records + kMessagesPerBlock - 1) / kMessagesPerBlock);
    block = std::min(block, blocks - 1);
    const std::size_t first = std::min(records, block * kMessagesPerBlock);
    const std::size_t count = std::min(kMessagesPerBlock, records - first);
    const bool more = block + 1 < blocks;
    const auto data = std::span<const std::uint8_t>(sending_).subspan(first * kMessageRecord,
                                                                      count * kMessageRecord);
    const std::uint8_t flags = 0x40 | (more ? kMoreFollows : 0);
    last_ = LastAnswer{READ_MESSAGES, false, more, 0, block, 0, 0};
    if (block > 0) {
        return continuationAnswer(flags, data);
    }
    // The first block names the number of records before them.
    std::vector<std::uint8_t> p{static_cast<std::uint8_t>(records),
                                static_cast<std::uint8_t>(records >> 8)};
    p.insert(p.end(), data.begin(), data.end());
    return datagramAnswer(flags, 0x47, p);
}

int SimStation::sampleCount(int n) const {
    definice_PV_rec s;
    definice_PV_udaj_rec d;
    const std::uint32_t t = now();
    if (!measuring_ || !channelInUse(n, s, d) || s.interval == 0 || t < monitoringSince_) {
        return 0;
    }
    return static_cast<int>(std::min<std::uint32_t>(s.memory, (t - monitoringSince_) / s.interval));
}

std::vector<std::uint8_t> SimStation::monitoring(int n) const {
    definice_PV_rec s;
    definice_PV_udaj_rec d;
    (void)channelInUse(n, s, d);
    const int count = sampleCount(n);
    const std::uint32_t interval = std::max<std::uint32_t>(s.interval, 1);
    const std::uint32_t taken = std::max<std::uint32_t>(now(), monitoringSince_) - monitoringSince_;
    const std::uint32_t total = taken / interval;
    const std::uint32_t lastTime = monitoringSince_ + total * interval - 1;

    std::vector<std::uint8_t> buffer(kMonitoringHeader + static_cast<std::size_t>(count));
    FieldWriter w(buffer);
    w.u8(0, static_cast<std::uint32_t>(n));
    w.u8(1, s.input_code);
    w.u16(2, s.interval);
    w.u16(4, static_cast<std::uint32_t>(count));
    w.u16(6, s.memory);
    w.u32(8, lastTime);
    w.u32(12, monitoringSince_);

    // Power failures of the log leave holes: samples marked missing.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> outages;
    for (std::size_t i = 0; i < messages_.size(); ++i) {
        if (messages_[i].type != kMessagePowerOff) {
            continue;
        }
        for (std::size_t j = i + 1; j < messages_.size(); ++j) {
            if (messages_[j].type == kMessagePowerOn) {
                outages.emplace_back(messages_[i].time, messages_[j].time);
                break;
            }
        }
    }
    const double span = d.value_max - d.value_min;
    for (int k = 0; k < count; ++k) {
        const std::uint32_t j =
            total - static_cast<std::uint32_t>(count) + static_cast<std::uint32_t>(k);
        const std::uint32_t t = monitoringSince_ + (j + 1) * interval - 1;
        std::uint8_t b = 0;
        const bool lost = std::any_of(outages.begin(), outages.end(),
                                      [t](const auto& o) { return t >= o.first && t < o.second; });
        if (!lost) {
            const double share =
                span > 0 ? (channelValue(n, s.input_code, t) - d.value_min) / span : 0.0;
            // Over range is reported like a missing sample.
            b = share > 1.0
                    ? 254
                    : static_cast<std::uint8_t>(3 + std::lround(250.0 * std::max(share, 0.0)));
        }
        buffer[kMonitoringHeader + static_cast<std::size_t>(k)] = b;
    }
    return buffer;
}

std::vector<std::uint8_t> SimStation::monitoringStatus() const {
    std::vector<std::uint8_t> p(kMonitoringStatusPayload);
    FieldWriter w(p);
    w.u32(2, now());
    w.u32(6, monitoringSince_);
    for (int n = 1; n <= kChannelCount; ++n) {
        w.u16(22 + 8 * static_cast<std::size_t>(n - 1), static_cast<std::uint32_t>(sampleCount(n)));
    }
    return p;
}

std::optional<std::vector<std::uint8_t>> SimStation::monitoringBlock(int channel) {
    if (!transferOpen_ || channel < 1 || channel > kChannelCount) {
        return std::nullopt;
    }
    const bool same = last_.id == SEND_BLOCK && last_.channel == channel;
    std::size_t offset = 0;
    if (same && !last_.acked) {
        offset = last_.offset;
    } else if (same && last_.more) {
        offset = last_.offset + last_.length;
    } else {
        sending_ = monitoring(channel);
        const FaultSettings& f = faults_.settings();
        if (f.shortBuffer != ShortBuffer::Off) {
            int target = f.shortChannel;
            for (int n = 1; target == 0 && n <= kChannelCount; ++n) {
                target = sampleCount(n) > 0 ? n : 0;
            }
            const bool due = f.shortBuffer == ShortBuffer::Always || !shortBufferDone_;
            if (channel == target && due && sending_.size() > kMonitoringHeader) {
                sending_.pop_back();
                shortBufferDone_ = true;
            }
        }
    }
    const std::size_t length = blockLength(sending_.size(), offset);
    const bool more = offset + length < sending_.size();
    const auto data =
        std::span<const std::uint8_t>(sending_).subspan(std::min(offset, sending_.size()), length);
    const std::uint8_t flags = 0x02 | (more ? kMoreFollows : 0);
    last_ = LastAnswer{SEND_BLOCK, false, more, channel, 0, offset, length};
    if (offset > 0) {
        return continuationAnswer(flags, data);
    }
    std::vector<std::uint8_t> p{static_cast<std::uint8_t>(channel)};
    p.insert(p.end(), data.begin(), data.end());
    return datagramAnswer(flags, 0x45, p);
}

std::array<std::uint16_t, kChannelCount> SimStation::liveRaw() const {
    std::array<std::uint16_t, kChannelCount> raw{};
    const std::uint32_t t = now();
    for (int n = 1; n <= kChannelCount; ++n) {
        definice_PV_rec s;
        definice_PV_udaj_rec d;
        if (channelInUse(n, s, d)) {
            raw[static_cast<std::size_t>(n - 1)] = valueToRaw(d, channelValue(n, s.input_code, t));
        }
    }
    return raw;
}

std::vector<std::uint8_t> SimStation::live() const {
    std::vector<std::uint8_t> p(kLivePayload);
    FieldWriter w(p);
    w.u32(0, now());
    w.u8(4, measuring_ ? 1 : 0);
    const auto raw = liveRaw();
    for (std::size_t i = 0; i < raw.size(); ++i) {
        w.u16(5 + 5 * i, raw[i]);
        w.u8(7 + 5 * i, raw[i] ? 1 : 0);
    }
    return p;
}

std::vector<std::uint8_t> SimStation::maximum() const {
    const std::uint32_t t = now();
    const PlantState s = plantAt(t);
    // Heat of the running quarter hour so far.
    const double current = measuring_
                               ? s.steamFlow * steamEnthalpy(s.steamTemperature, s.steamPressure) /
                                     1000.0 * (t % 900) / 3600.0
                               : 0.0;
    std::vector<std::uint8_t> p(kMaximumPayload);
    FieldWriter w(p);
    putFloat(w, 0, current);
    putFloat(w, 4, 0.0);
    putFloat(w, 8, std::max<double>(maximumValue_, current));
    w.u32(12, maximumTime_);
    putFloat(w, 16, 0.0);
    w.u32(20, 0);
    return p;
}

bool SimStation::flySet(std::span<const std::uint8_t> p) {
    if (p.size() != 3 || p[0] < 1 || p[0] > 2 || p[1] < 1) {
        return false;
    }
    // 0 clears the station's buffer; otherwise the new measurement adds to the last one.
    std::optional<FlyResults> carried;
    if (p[2] != 0) {
        carried = flyResults();
    }
    fly_ = Fly{p[0], p[1], now(), carried};
    return true;
}

FlyResults SimStation::flyOver(int band, std::uint32_t from, std::uint32_t to) const {
    FlyResults r{};
    // This plant meters circuit 1 only.
    if (band != 1 || to <= from || !measuring_) {
        return r;
    }
    const double hysteresis = FieldReader(meter_).f32(kMeterHysteresis);
    const std::uint32_t step = std::max<std::uint32_t>(10, (to - from) / 2000);
    r[6] = r[8] = -1e9f;
    r[7] = r[9] = 1e9f;
    for (std::uint32_t t = from; t < to; t += step) {
        const double dt = std::min(step, to - t);
        const PlantState s = plantAt(t);
        const bool wet = s.steamTemperature < saturationTemperature(s.steamPressure) - hysteresis;
        const double mass = s.steamFlow * dt / 3600.0;
        const double heat = mass * steamEnthalpy(s.steamTemperature, s.steamPressure) / 1000.0;
        const std::size_t k = wet ? 1 : 0;
        r[0 + k] += static_cast<float>(heat);
        r[2 + k] += static_cast<float>(mass);
        r[4 + k] += static_cast<float>(dt);
        r[6] = std::max(r[6], static_cast<float>(s.steamTemperature));
        r[7] = std::min(r[7], static_cast<float>(s.steamTemperature));
        r[8] = std::max(r[8], static_cast<float>(s.steamPressure));
        r[9] = std::min(r[9], static_cast<float>(s.steamPressure));
    }
    return r;
}

FlyResults SimStation::flyResults() const {
    const std::uint32_t interval =
        FieldReader(meter_).u16(fly_.band == 2 ? kMeterIntervalP2 : kMeterIntervalP1);
    const std::uint32_t t = now();
    const std::uint32_t elapsed = t > fly_.start ? t - fly_.start : 0;
    const std::uint32_t length = std::min<std::uint32_t>(elapsed, fly_.count * interval);
    FlyResults r = flyOver(fly_.band, fly_.start, fly_.start + length);
    if (fly_.carried) {
        const FlyResults& c = *fly_.carried;
        const bool empty = r[4] + r[5] == 0.0f;
        for (std::size_t i = 0; i < 6; ++i) {
            r[i] += c[i];
        }
        r[6] = empty ? c[6] : std::max(r[6], c[6]);
        r[7] = empty ? c[7] : std::min(r[7], c[7]);
        r[8] = empty ? c[8] : std::max(r[8], c[8]);
        r[9] = empty ? c[9] : std::min(r[9], c[9]);
    }
    return r;
}

std::vector<std::uint8_t> SimStation::flyAnswer() const {
    const FlyResults r = flyResults();
    std::vector<std::uint8_t> p(kFlyPayload);
    FieldWriter w(p);
    w.u8(0, static_cast<std::uint32_t>(fly_.band));
    w.u8(1, static_cast<std::uint32_t>(fly_.count));
    for (std::size_t i = 0; i < r.size(); ++i) {
        putFloat(w, 3 + 4 * i, r[i]);
    }
    return p;
}

}  // namespace pelmo::sim
