#include "operations/station_diff.h"

#include "base/cp1250.h"
#include "base/decimal_text.h"
#include "base/texts.h"
#include "model/meter_captions.h"
#include "model/station_image.h"
#include "operations/programming_checks.h"

namespace pelmo {

namespace {

// "Identification number:" -> "Identification number".
QString caption(const QString& label) {
    QString text = label.trimmed();
    while (text.endsWith(QLatin1Char(':'))) {
        text.chop(1);
    }
    return text.trimmed();
}

QString caption(int text) {
    return caption(txt(text));
}

QString realText(double v) {
    return formatDecimal(v, 4);
}

std::string trimmed(std::string s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) {
        s.pop_back();
    }
    return s;
}

// Collects the differences of one record.
class RecordDiff {
public:
    RecordDiff(std::vector<FieldDifference>& out, QString record)
        : out_(out), record_(std::move(record)) {}

    template <typename Int>
    void integer(const QString& field, Int a, Int b) {
        if (a != b) {
            add(field, QString::number(a), QString::number(b), static_cast<double>(a),
                static_cast<double>(b));
        }
    }
    void real(const QString& field, double a, double b) {
        if (!realsEqual(a, b)) {
            add(field, realText(a), realText(b), a, b);
        }
    }
    void text(const QString& field, const std::string& a, const std::string& b) {
        if (a != b) {
            add(field, fromCp1250(a), fromCp1250(b));
        }
    }
    void add(const QString& field, const QString& a, const QString& b,
             std::optional<double> aNumber = {}, std::optional<double> bNumber = {}) {
        out_.push_back({record_, field, a, b, aNumber, bNumber});
    }

private:
    std::vector<FieldDifference>& out_;
    QString record_;
};

void compareMeter(const definice_meridla_rec& a, const definice_meridla_rec& b, bool gas,
                  std::vector<FieldDifference>& out) {
    RecordDiff d(out, txt(kTextMeter));
    d.integer(caption(kTextIdentificationNumber), a.meter_number, b.meter_number);
    d.integer(txt(kTextModeA), a.mode_a, b.mode_a);
    d.integer(txt(kTextModeB), a.mode_b, b.mode_b);
    for (int c = 1; c <= kConstantCount; ++c) {
        // The editor's caption of the row that holds constant c; the one constant outside
        // the grid is the first measuring parameter.
        QString field = caption(parameterCaption(1, gas, false));
        for (int row = 1; row <= kMeterConstantRows; ++row) {
            if (constantOfRow(row) == c) {
                field = caption(constantCaption(row, gas));
            }
        }
        const auto i = static_cast<std::size_t>(c - 1);
        d.real(field, a.constants[i], b.constants[i]);
    }
    d.integer(txt(kTextModeCopy), a.mode_copy, b.mode_copy);
    d.integer(caption(kTextIntervalP1Sec), a.interval_p1, b.interval_p1);
    d.integer(caption(kTextIntervalP2Sec), a.interval_p2, b.interval_p2);
    d.integer(caption(kTextIntervalCondSec), a.interval_cond, b.interval_cond);
    d.integer(txt(kTextReserved), a.reserved_word, b.reserved_word);
    d.real(caption(kTextImpulseCoef1), a.imp_coef_1, b.imp_coef_1);
    d.real(caption(kTextImpulseCoef2), a.imp_coef_2, b.imp_coef_2);
    d.integer(txt(kTextOutputs), a.output_word, b.output_word);
}

void compareChannel(int n, const StationImage& left, const StationImage& right,
                    std::vector<FieldDifference>& out) {
    const definice_PV_rec& s = left.channel(n);
    const definice_PV_rec& f = right.channel(n);
    const definice_PV_udaj_rec& sd = left.channelData(n);
    const definice_PV_udaj_rec& fd = right.channelData(n);
    RecordDiff d(out, txt(kTextChannel1029).arg(n));
    d.integer(txt(kTextChannelInUse), s.in_use, f.in_use);
    d.text(caption(kTextNameLabel), sd.name, fd.name);
    d.text(caption(kTextUnit), sd.units, fd.units);
    d.text(caption(kTextSensorTypeLabel), trimmed(sd.sensor_type), trimmed(fd.sensor_type));
    d.integer(caption(kTextInputLabel), s.input_code, f.input_code);
    d.integer(caption(kTextModeOfMeas), s.measurement, f.measurement);
    d.integer(caption(kTextDisplay), s.display, f.display);
    d.integer(caption(kTextInterval), s.interval, f.interval);
    d.integer(caption(kTextBufferSize), s.memory, f.memory);
    d.integer(caption(kTextOutput), s.output_code, f.output_code);
    d.integer(caption(kTextLowLimit), s.limit_low, f.limit_low);
    d.integer(caption(kTextHighLimit), s.limit_high, f.limit_high);
    d.integer(txt(kTextRangeFrom), s.range_low, f.range_low);
    d.integer(txt(kTextRangeTo), s.range_high, f.range_high);
    d.real(caption(kTextMinValue), sd.value_min, fd.value_min);
    d.real(caption(kTextMaxValue), sd.value_max, fd.value_max);
    d.real(txt(kTextTableScale), sd.table_scale, fd.table_scale);
    d.real(txt(kTextTableOffset), sd.table_offset, fd.table_offset);
    d.real(caption(kTextCalibrWaterTemp), sd.calib_water_temp, fd.calib_water_temp);
    d.real(caption(kTextTempCoefficient), sd.temp_coef, fd.temp_coef);
    d.integer(txt(kTextBlock), sd.block_word, fd.block_word);
    d.integer(txt(kTextTable), s.table_present, f.table_present);
    d.integer(txt(kTextTablePoints), s.table_points, f.table_points);
    // Table values side by side only when both sides have a table of the same size.
    if (s.table_present && f.table_present && s.table_points == f.table_points) {
        const int points = std::min<int>(f.table_points, kTablePoints);
        for (int k = 0; k < points; ++k) {
            const auto i = static_cast<std::size_t>(k);
            d.integer(txt(kTextTablePoint).arg(k + 1), s.table_y[i], f.table_y[i]);
        }
    }
}

}  // namespace

std::vector<FieldDifference> compareConfigurations(const StationImage& left,
                                                   const StationImage& right, bool gas) {
    std::vector<FieldDifference> out;
    compareMeter(left.meter, right.meter, gas, out);
    for (int n = 1; n <= kChannelCount; ++n) {
        compareChannel(n, left, right, out);
    }
    RecordDiff d(out, txt(kTextStation1024));
    d.text(caption(kTextHead), left.station.name, right.station.name);
    d.text(caption(kTextModeTab), left.station.meter_name, right.station.meter_name);
    d.integer(caption(kTextNetAddress), left.station.net_address, right.station.net_address);
    d.integer(caption(kTextMessagesTotal), left.station.messages_total,
              right.station.messages_total);
    return out;
}

}  // namespace pelmo
