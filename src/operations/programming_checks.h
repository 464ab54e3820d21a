#pragma once

#include <QString>
#include <cstdint>
#include <optional>

#include "model/station_image.h"

namespace pelmo {

class Prompts;

// Read-back compares of programming. Reals count as equal when they round to the same
// integer (halves to even); texts, integers and flags must be identical.
bool realsEqual(double a, double b);
bool channelMatches(const definice_PV_rec& image, const definice_PV_udaj_rec& imageData,
                    const definice_PV_rec& back, const definice_PV_udaj_rec& backData);
bool meterMatches(const definice_meridla_rec& image, const definice_meridla_rec& back);
bool stationMatches(const stanice_rec& image, const stanice_rec& back);

// The CMOS correction file of a station: its serial number and ".kor" in the program's
// folder; 32 reference bytes, 32 unused ones, then a five-digit number.
QString correctionFilePath(const QString& programDir, std::uint16_t serialNumber);

enum class CorrectionCheck { NoFile, Equal, Differs, Unreadable };

// Reads the correction file into the CMOS file identity and file number and compares its
// reference bytes with the CMOS block just received. An unreadable file has been reported
// (file error box, or text 146 for a short or malformed file).
CorrectionCheck checkCorrectionFile(const QString& path, StationImage& image, Prompts& prompts);

}  // namespace pelmo
