#include "operations/station_checks.h"

#include "base/cp1250.h"
#include "base/field_check.h"
#include "base/prompts.h"
#include "base/texts.h"
#include "model/memory_allocation.h"

namespace pelmo {

bool checkStationDefinition(StationBoxes& boxes, StationImage& image, Prompts& prompts) {
    if (!validateField(boxes.name, txt(kTextHead), FieldKind::Text, prompts, true) ||
        !validateField(boxes.meter, txt(kTextModeTab), FieldKind::Text, prompts, true) ||
        !validateField(boxes.messages, txt(kTextMessagesTotal), FieldKind::Integer, prompts,
                       true) ||
        !validateField(boxes.address, txt(kTextNetAddress), FieldKind::Integer, prompts, true)) {
        return false;
    }
    // Digits only by now; long digit strings are out of range rather than overflowing.
    const int address = boxes.address.size() > 3 ? 999 : boxes.address.toInt();
    if (boxes.address == QStringLiteral("0") || address == 0 || address >= 252) {
        prompts.warning(txt(kTextAddressOutOfRange));
        return false;
    }
    int messages = boxes.messages.size() > 4 ? 9999 : boxes.messages.toInt();
    if (messages == 0) {
        messages = 10;
        boxes.messages = QStringLiteral("10");
    }
    image.station.messages_total = messages;
    return checkStationMemory(image, prompts);
}

bool checkStationMemory(StationImage& image, Prompts& prompts) {
    allocateAutomaticMemory(image);
    const int free = freeStationMemory(image.station);
    const int used = channelMemoryTotal(image);
    if (used > free) {
        prompts.warning(txt(kTextMemorySizeExceeded) + QStringLiteral("( %1B )").arg(used - free));
        return false;
    }
    return true;
}

StationBoxes boxesFromImage(const StationImage& image) {
    return {fromCp1250(image.station.name), fromCp1250(image.station.meter_name),
            QString::number(image.station.messages_total),
            QString::number(image.station.net_address)};
}

void storeBoxes(const StationBoxes& boxes, StationImage& image) {
    image.station.name = toCp1250(boxes.name);
    image.station.meter_name = toCp1250(boxes.meter);
    image.station.messages_total = boxes.messages.toInt();
    image.station.net_address = static_cast<std::uint16_t>(boxes.address.toUInt());
}

}  // namespace pelmo
