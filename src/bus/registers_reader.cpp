#include "bus/registers_reader.h"

#include "base/decimal_text.h"
#include "base/prompts.h"
#include "base/texts.h"
#include "link/byte_fields.h"

namespace pelmo {

namespace {
constexpr std::size_t kAddressByte = 3;
constexpr std::size_t kFirstValue = 9;
constexpr std::size_t kValueCount = 19;
// The last value ends at byte 84; the trailer follows.
constexpr std::size_t kMinimumAnswer = kFirstValue + 4 * kValueCount + 2;
}  // namespace

std::optional<RegisterValues> decodeRegisters(std::span<const std::uint8_t> answer) {
    if (answer.size() < kMinimumAnswer) {
        return std::nullopt;
    }
    const FieldReader r(answer);
    RegisterValues v;
    v.address = r.u8(kAddressByte);
    auto value = [&r](std::size_t i) { return r.f32(kFirstValue + 4 * i); };
    for (std::size_t i = 0; i < 8; ++i) {
        v.circuit1[i] = value(i);
        v.circuit2[i] = value(8 + i);
    }
    for (std::size_t i = 0; i < 3; ++i) {
        v.condensate[i] = value(16 + i);
    }
    return v;
}

int circuitRowText(int row) {
    return 175 + row;
}

int condensateRowText(int row) {
    return 183 + row;
}

QString registerText(double value) {
    return formatDecimal(value, 3);
}

RegistersReader::RegistersReader(StationPort& port, LinkContext& link, Prompts& prompts,
                                 RegistersView& view)
    : StationSequence(port, link, prompts), view_(view) {}

void RegistersReader::read(bool refresh) {
    if (refresh) {
        view_.clearTrafficLog();
    }
    link_.rx->setCount(0);
    link_.rx->reset();
    view_.registersStatus(txt(refresh ? 188 : 187));
    view_.readRunning(true);
    begin();
    send(READ_REGISTERS);
}

void RegistersReader::completion(ExchangeResult result) {
    const bool failed = result == ExchangeResult::Failed;
    if (!engine_) {
        return;
    }
    if (failed) {
        release();
        view_.registersStatus(txt(kTextErrorConnectiongToDevice));
        reportConnectionError();
        view_.registersEnded(RegistersView::Ending::Failed);
        return;
    }
    acknowledge();
    const auto values = decodeRegisters(answer());
    release();
    if (!values) {
        reportGeneralError(prompter(), " 17.20: registry");
        view_.registersEnded(RegistersView::Ending::Failed);
        return;
    }
    view_.registersStatus(txt(kTextNetAddress) + QString::number(values->address));
    view_.registersRead(*values);
    view_.readRunning(false);
    view_.registersEnded(RegistersView::Ending::Read);
}

}  // namespace pelmo
