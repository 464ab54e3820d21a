#include "monitoring/mon_transfer.h"

#include <new>

#include "base/cp1250.h"
#include "base/prompts.h"
#include "base/texts.h"
#include "link/byte_fields.h"

namespace pelmo {

namespace {

constexpr int kStatusAnswer = 87;
constexpr std::uint8_t kMoreBlocks = 0x08;
constexpr int kGaugeReserve = 50;
constexpr std::size_t kTrailer = 2;

}  // namespace

bool decodeMonitoringStatus(std::span<const std::uint8_t> answer, MonitoringStatus& status) {
    if (answer.size() < static_cast<std::size_t>(kStatusAnswer)) {
        return false;
    }
    const FieldReader r(answer);
    status.station_time = r.u32(7);
    status.second_word = r.u32(11);
    status.total = 0;
    for (int i = 1; i <= kChannelCount; ++i) {
        const std::uint16_t count = r.u16(27 + 8 * static_cast<std::size_t>(i - 1));
        status.counts[static_cast<std::size_t>(i - 1)] = count;
        status.total += count;
    }
    return true;
}

std::optional<MonitoringBlock> monitoringBlock(std::span<const std::uint8_t> answer, bool first) {
    // The data must end before the trailer.
    const std::size_t flagsAt = first ? 2 : 1;
    const std::size_t lengthAt = first ? 4 : 2;
    const std::size_t dataAt = first ? 6 : 3;
    if (answer.size() < dataAt + kTrailer) {
        return std::nullopt;
    }
    const std::size_t length = answer[lengthAt];
    if (first && length == 0) {
        return std::nullopt;
    }
    const std::size_t dataLength = first ? length - 1 : length;
    if (dataAt + dataLength + kTrailer > answer.size()) {
        return std::nullopt;
    }
    MonitoringBlock block;
    block.more = (answer[flagsAt] & kMoreBlocks) != 0;
    block.data = answer.subspan(dataAt, dataLength);
    block.counted = static_cast<int>(length);
    return block;
}

MonTransfer::MonTransfer(StationPort& port, LinkContext& link, Prompts& prompts,
                         MonTransferView& view, MonitoringRecording& recording)
    : StationSequence(port, link, prompts), view_(view), recording_(recording) {}

MonTransfer::~MonTransfer() = default;

void MonTransfer::start() {
    recording_.clear();
    channel_ = 1;
    image().current_index = 1;
    firstBlock_ = true;
    received_ = 0;
    repairing_ = false;
    dataReady_ = false;
    repairs_.fill(0);
    view_.gauge(0);
    for (int c = 1; c <= kChannelCount; ++c) {
        view_.receivedCount(c, 0);
    }
    view_.expectedCounts({});
    view_.transferStatus(txt(kTextInitializingConnection));
    begin();
    send(COMM);
}

void MonTransfer::end(bool dataReady) {
    dataReady_ = dataReady;
    closeAndRelease();
    view_.transferEnded(dataReady);
}

void MonTransfer::fail() {
    view_.viewStatus(txt(kTextErrorConnectiongToDevice));
    view_.transferStatus(txt(kTextErrorConnectiongToDevice));
    end(false);
    reportConnectionError();
}

void MonTransfer::decodeError(const char* tag) {
    end(false);
    reportGeneralError(prompter(), tag);
}

bool MonTransfer::storeBlock(bool& more) {
    const auto block = monitoringBlock(answer(), firstBlock_);
    auto& list = recording_.list(channel_);
    if (!block || list.size() + block->data.size() > kMaxListBytes) {
        reportGeneralError(prompter(), " 16.13: Save_data");
        return false;
    }
    try {
        list.insert(list.end(), block->data.begin(), block->data.end());
    } catch (const std::bad_alloc&) {
        prompter().error(txt(kTextNotEnoughMemory));
        return false;
    }
    more = block->more;
    received_ += block->counted;
    view_.gauge(received_);
    view_.receivedCount(channel_, recording_.samples(channel_));
    return true;
}

void MonTransfer::sendBlock(bool ackFirst) {
    image().current_index = static_cast<std::uint16_t>(channel_);
    if (ackFirst) {
        sendContinuation(SEND_BLOCK);
    } else {
        send(SEND_BLOCK);
    }
}

void MonTransfer::channelComplete() {
    view_.trafficNote(QStringLiteral("SEND_BLOCK - next channel "));
    const int announced = recording_.status.counts[static_cast<std::size_t>(channel_ - 1)];
    if (recording_.samples(channel_) < announced) {
        view_.trafficNote(QStringLiteral("SEND BLOCK - circular err "));
        // A station that keeps delivering short buffers would never let the transfer end.
        int& repairs = repairs_[static_cast<std::size_t>(channel_ - 1)];
        if (repairs >= kMaxRepairs) {
            fail();
            return;
        }
        ++repairs;
        view_.viewSource(txt(kTextRepairingCircularBufferFailure));
        repairing_ = true;
        recording_.list(channel_).clear();
        firstBlock_ = true;
        send(STOP_PRENOS);
        return;
    }
    ++channel_;
    firstBlock_ = true;
    while (channel_ <= kChannelCount &&
           recording_.status.counts[static_cast<std::size_t>(channel_ - 1)] == 0) {
        ++channel_;
    }
    if (channel_ <= kChannelCount) {
        sendBlock(false);
        return;
    }
    view_.transferStatus(txt(kTextDataLoaded));
    send(STOP_PRENOS);
    view_.viewSource(txt(kTextSourceUnit) + fromCp1250(image().station.name));
}

void MonTransfer::completion(ExchangeResult result) {
    if (!engine_) {
        return;
    }
    if (result == ExchangeResult::Failed) {
        fail();
        return;
    }
    switch (state_) {
        case COMM:
            acknowledge();
            view_.trafficNote(QStringLiteral("COMM - Sending STAV_MER"));
            send(STAV_MER);
            break;
        case STAV_MER:
            acknowledge();
            if (!decodeMonitoringStatus(answer(), recording_.status)) {
                decodeError(" 16.19: prepare_Monit_samples");
                return;
            }
            view_.expectedCounts(recording_.status.counts);
            view_.gaugeMaximum(recording_.status.total + kGaugeReserve);
            view_.transferStatus(txt(kTextStartingDataTransfer));
            view_.trafficNote(QStringLiteral("STAV_MER - Sending START_PRENOS"));
            send(START_PRENOS);
            break;
        case START_PRENOS:
            acknowledge();
            view_.trafficNote(QStringLiteral("START_PRENOS - Sending SEND_BLOCK"));
            sendBlock(false);
            break;
        case SEND_BLOCK: {
            acknowledge();
            view_.transferStatus(QString::number(channel_));
            view_.trafficNote(QStringLiteral("SEND_BLOCK - Inline"));
            bool more = false;
            if (!storeBlock(more)) {
                end(false);
                return;
            }
            if (more) {
                view_.trafficNote(QStringLiteral("SEND_BLOCK - dtgr continues "));
                engine_->reset(true);
                firstBlock_ = false;
                sendBlock(true);
            } else {
                channelComplete();
            }
            break;
        }
        case STOP_PRENOS:
            view_.trafficNote(QStringLiteral("STOP_PRENOS - inline"));
            if (repairing_) {
                acknowledge();
                view_.trafficNote(QStringLiteral("STOP_PRENOS - sending START_PRENOS"));
                repairing_ = false;
                send(START_PRENOS);
            } else {
                view_.viewStatus(txt(kTextDataLoaded));
                end(true);
            }
            break;
        default:
            break;
    }
}

}  // namespace pelmo
