#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

#include "model/station_image.h"

namespace pelmo {

class Prompts;

// Every channel's buffer starts with this many header bytes; each further byte is a sample.
inline constexpr std::size_t kSampleListHeader = 18;
inline constexpr int kMonitoringFileHeader = 128;
// The data section's length and offsets are 16-bit fields.
inline constexpr int kMaxMonitoringData = 65535;
// The count a header entry carries for an empty list (0 - 18 in 16 bits).
inline constexpr int kEmptyListCount = 65518;

// What STAV_MER reports about the station's monitoring buffers.
struct MonitoringStatus {
    std::array<std::uint16_t, kChannelCount> counts{};
    std::int32_t total = 0;
    std::uint32_t station_time = 0;
    std::uint32_t second_word = 0;

    bool operator==(const MonitoringStatus&) const = default;
};

// The eight channel sample lists as received (18 header bytes, then one byte per sample)
// and the status they were announced with.
struct MonitoringRecording {
    std::array<std::vector<std::uint8_t>, kChannelCount> lists;
    MonitoringStatus status;

    std::vector<std::uint8_t>& list(int channel) {
        return lists[static_cast<std::size_t>(channel - 1)];
    }
    const std::vector<std::uint8_t>& list(int channel) const {
        return lists[static_cast<std::size_t>(channel - 1)];
    }
    // Samples of a channel: list length less the header, never negative.
    int samples(int channel) const;
    // Empties the lists and zeroes the status.
    void clear();
    // Length of the data section a file of this recording would have: 8 + every list.
    std::size_t dataLength() const;
};

// Sample byte b is a measured value for 3..253; the rest mark a missing sample.
inline bool validSample(std::uint8_t b) {
    return b >= 3 && b <= 253;
}

// The monitoring file's bytes; nothing when the data section would not fit its 16-bit
// length field.
[[nodiscard]] bool encodeMonitoringFile(const MonitoringRecording& recording, QByteArray& out);
// Reads a whole monitoring file into `recording` (cleared first). False when the file's
// lengths, offsets, channel indexes or counts disagree with each other or with its size.
[[nodiscard]] bool decodeMonitoringFile(const QByteArray& bytes, MonitoringRecording& recording);

enum class MonitoringFileResult { Ok, OpenFailed, Corrupt };

// File-level load (it is saved only together with its station file). An unopenable file
// shows the file error box (OpenFailed); the caller reports a corrupt one with its own text.
MonitoringFileResult loadMonitoringFile(const QString& path, MonitoringRecording& recording,
                                        Prompts& prompts);

// The station file saved beside a monitoring file: the file name without its folder, less
// its last three characters, plus "con", in the same folder ("x.mon" → "x.con",
// "data.mo" → "datacon", "abc" → "con").
QString companionStationFile(const QString& monitoringPath);

}  // namespace pelmo
