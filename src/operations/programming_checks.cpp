#include "operations/programming_checks.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <cmath>

#include "base/file_access.h"
#include "base/prompts.h"
#include "base/texts.h"
#include "model/raw_scale.h"

namespace pelmo {

namespace {
constexpr qsizetype kCorrectionFileSize = 69;

std::string trimmedSensor(std::string s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) {
        s.pop_back();
    }
    return s;
}
}  // namespace

bool realsEqual(double a, double b) {
    // A NaN read back for a NaN written is a match, or such a value could never verify.
    if (std::isnan(a) || std::isnan(b)) {
        return std::isnan(a) && std::isnan(b);
    }
    return roundHalfEven(a) == roundHalfEven(b);
}

bool channelMatches(const definice_PV_rec& s, const definice_PV_udaj_rec& d,
                    const definice_PV_rec& bs, const definice_PV_udaj_rec& bd) {
    const bool settings = s.measurement == bs.measurement && s.display == bs.display &&
                          s.input_code == bs.input_code && s.interval == bs.interval &&
                          s.memory == bs.memory && s.limit_low == bs.limit_low &&
                          s.limit_high == bs.limit_high && s.output_code == bs.output_code &&
                          s.range_low == bs.range_low && s.range_high == bs.range_high &&
                          s.table_points == bs.table_points && s.in_use == bs.in_use &&
                          s.table_present == bs.table_present;
    const bool data =
        d.name == bd.name && d.units == bd.units &&
        trimmedSensor(d.sensor_type) == bd.sensor_type &&
        realsEqual(d.table_scale, bd.table_scale) && realsEqual(d.table_offset, bd.table_offset) &&
        realsEqual(d.value_min, bd.value_min) && realsEqual(d.value_max, bd.value_max) &&
        realsEqual(d.calib_water_temp, bd.calib_water_temp) &&
        realsEqual(d.temp_coef, bd.temp_coef) && d.block_word == bd.block_word;
    if (!settings || !data) {
        return false;
    }
    if (s.table_present) {
        for (std::size_t k = 0; k < s.table_points && k < s.table_y.size(); ++k) {
            if (s.table_y[k] != bs.table_y[k]) {
                return false;
            }
        }
    }
    return true;
}

bool meterMatches(const definice_meridla_rec& m, const definice_meridla_rec& b) {
    if (m.meter_number != b.meter_number || m.mode_a != b.mode_a || m.mode_b != b.mode_b) {
        return false;
    }
    for (std::size_t i = 0; i < m.constants.size(); ++i) {
        if (!realsEqual(m.constants[i], b.constants[i])) {
            return false;
        }
    }
    return m.mode_copy == b.mode_copy && m.interval_p1 == b.interval_p1 &&
           m.interval_p2 == b.interval_p2 && m.interval_cond == b.interval_cond &&
           m.reserved_word == b.reserved_word && realsEqual(m.imp_coef_1, b.imp_coef_1) &&
           realsEqual(m.imp_coef_2, b.imp_coef_2) && m.output_word == b.output_word;
}

bool stationMatches(const stanice_rec& s, const stanice_rec& b) {
    return s.name == b.name && s.meter_name == b.meter_name && s.net_address == b.net_address &&
           s.messages_total == b.messages_total;
}

QString correctionFilePath(const QString& programDir, std::uint16_t serialNumber) {
    const QString name = QString::number(serialNumber) + QStringLiteral(".kor");
    const QString beside = QDir(programDir).filePath(name);
    // An installed program's user keeps the correction files with the settings.
    const QString config = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    if (!QFileInfo::exists(beside) && !config.isEmpty()) {
        const QString withUser = QDir(config).filePath(name);
        if (QFileInfo::exists(withUser)) {
            return withUser;
        }
    }
    return beside;
}

CorrectionCheck checkCorrectionFile(const QString& path, StationImage& image, Prompts& prompts) {
    if (!QFileInfo::exists(path)) {
        return CorrectionCheck::NoFile;
    }
    const auto bytes = readFileReporting(path, kCorrectionFileSize, prompts);
    if (!bytes) {
        return CorrectionCheck::Unreadable;
    }
    bool ok = bytes->size() >= kCorrectionFileSize;
    int number = 0;
    if (ok) {
        const QByteArray digits = bytes->mid(64, 5);
        for (char c : digits) {
            ok = ok && c >= '0' && c <= '9';
        }
        number = digits.toInt();
    }
    if (!ok) {
        prompts.error(txt(kTextFileCorrupted));
        return CorrectionCheck::Unreadable;
    }
    for (std::size_t i = 0; i < image.cmos_file_identity.size(); ++i) {
        image.cmos_file_identity[i] =
            static_cast<std::uint8_t>((*bytes)[static_cast<qsizetype>(i)]);
    }
    image.cmos.file_number = static_cast<std::int16_t>(number);
    return image.cmos_file_identity == image.cmos_raw_identity ? CorrectionCheck::Equal
                                                               : CorrectionCheck::Differs;
}

}  // namespace pelmo
