#pragma once

#include <QByteArray>
#include <QString>

#include "model/station_image.h"

namespace pelmo {

class Prompts;

inline constexpr int kStationFileRecord = 22;
inline constexpr int kStationFileRecords = 299;
inline constexpr int kStationFileSize = kStationFileRecord * kStationFileRecords;  // 6578

struct StationFileOptions {
    bool gasVersion = false;  // constants 3 and 15 are stored scaled by 10^6
};

// The station definition file: 35 station and meter lines, then 33 lines per channel,
// each 20 characters and CR LF. Saving also sets every channel's in_use from its name.
QByteArray encodeStationFile(StationImage& image, const StationFileOptions& options);

// Reads the file's bytes into an image the caller has reset. False on a short file, a number
// that does not parse or a bad divider digit; what was read before the fault stays.
[[nodiscard]] bool decodeStationFile(const QByteArray& bytes, StationImage& image,
                                     const StationFileOptions& options);

// The image as a station file holds it: saved and loaded again in memory. A file keeps some
// values coarser than a station (a raw limit goes through the value scale, an unused
// channel's measurement is not kept), so whatever is compared with a file is seen like this.
StationImage throughStationFile(const StationImage& image, const StationFileOptions& options);

enum class StationFileResult { Ok, OpenFailed, Corrupt, WriteFailed };

// File-level load and save. An unopenable file shows the file error box (OpenFailed);
// the caller reports Corrupt and WriteFailed with its own text.
StationFileResult loadStationFile(const QString& path, StationImage& image,
                                  const StationFileOptions& options, Prompts& prompts);
StationFileResult saveStationFile(const QString& path, StationImage& image,
                                  const StationFileOptions& options, Prompts& prompts);

// The load as the operator opens a file: a damaged one also shows text 146. True when loaded.
bool loadStationFileReporting(const QString& path, StationImage& image,
                              const StationFileOptions& options, Prompts& prompts);

// Output numbers of the file for output codes, and back.
int outputNumberFromCode(std::uint8_t code);
std::uint8_t outputCodeFromNumber(int number);

}  // namespace pelmo
