#include "editing/lin_table_logic.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "base/cp1250.h"
#include "base/decimal_text.h"
#include "base/prompts.h"
#include "base/texts.h"
#include "editing/channel_definition_logic.h"
#include "editing/number_field.h"
#include "model/raw_scale.h"

namespace pelmo {

namespace {

const QString kTableFilter =
    QStringLiteral("Lin table (*.lin, *.lif)|*.lin;*.lif|All files (*.*)|*.*");

bool emptyRow(const std::array<QString, 2>& row) {
    return row[0].isEmpty() && row[1].isEmpty();
}

bool pointRow(const std::array<QString, 2>& row) {
    return !row[0].isEmpty() && !row[1].isEmpty();
}

QString rowCaption(int index) {
    return QString::number(index + 1) + QLatin1Char('.');
}

double inputCount(double input, int unit) {
    return unit == kUnitPixel ? input : milliampsToCount(input, unit);
}

}  // namespace

double countToMilliamps(double count, int unit) {
    if (unit == kUnit4to20) {
        return (count - kSignalZeroCount) * 0.004 + 4.0;
    }
    return (count - kSignalZeroCount) * 0.005;
}

double milliampsToCount(double milliamps, int unit) {
    if (unit == kUnit4to20) {
        return roundHalfEven((milliamps + 0.192 - 4.0) / 0.004);
    }
    return roundHalfEven((milliamps + 0.24) / 0.005);
}

std::optional<QString> convertInput(const QString& text, int from, int to) {
    double v = 0.0;
    if (!readNumber(text, v)) {
        return std::nullopt;
    }
    const double count = inputCount(v, from);
    if (to == kUnitPixel) {
        return QString::number(static_cast<qint64>(roundHalfEven(count)));
    }
    return formatDecimal(countToMilliamps(count, to), 3);
}

QString unitCaption(int unit) {
    switch (unit) {
        case kUnit4to20:
            return QStringLiteral("[4-20mA]");
        case kUnit0to20:
            return QStringLiteral("[0-20mA]");
        default:
            return QStringLiteral("[Pixel]");
    }
}

void deleteChannelTable(definice_PV_rec& s, definice_PV_udaj_rec& d) {
    const std::size_t used = std::min<std::size_t>(s.table_points, kTablePoints);
    for (std::size_t k = 0; k < used; ++k) {
        s.table_x[k] = 0;
        s.table_y[k] = 0;
    }
    s.table_points = 0;
    s.table_present = 0;
    d.sensor_type.clear();
    d.table_scale = 0.0;
    d.table_offset = 0.0;
    d.value_min = 0.0;
    d.value_max = 0.0;
}

LinTableEditor::LinTableEditor(StationImage& image, Prompts& prompts)
    : image_(image), prompts_(prompts) {}

void LinTableEditor::open(int channel, LinTabHost& host) {
    channel_ = channel;
    host_ = &host;
    const definice_PV_rec& s = settings();
    const definice_PV_udaj_rec& d = data();
    linearizationEnabled = s.table_points == 2;
    flowConversionAllowed = false;
    frequency_ = host.frequencyInput();
    rows = {};
    const std::size_t stored =
        s.table_present ? std::min<std::size_t>(s.table_points, kTablePoints) : 0;
    for (std::size_t k = 0; k < stored; ++k) {
        rows[k] = {QString::number(s.table_x[k]),
                   formatDecimal(s.table_y[k] * d.table_scale + d.table_offset, 4)};
    }
    minText = host.minValueText();
    maxText = host.maxValueText();
    if (frequency_ && s.divider == 1) {
        prompts_.error(txt(kTextDivisionCoeficientsAreNot));
    }
    // The window outlives its openings: the stored inputs are counts, whatever unit the
    // last opening ended in.
    unit = kUnitPixel;
    (void)gridCheck();
}

QString LinTableEditor::dividerText() const {
    return QString::number(image_.channel(channel_).divider);
}

void LinTableEditor::removeRow(int index) {
    for (int i = index; i + 1 < kGridPoints; ++i) {
        rows[static_cast<std::size_t>(i)] = rows[static_cast<std::size_t>(i + 1)];
    }
    rows[kGridPoints - 1] = {};
}

void LinTableEditor::compact() {
    int last = kGridPoints - 1;
    while (last >= 0 && emptyRow(rows[static_cast<std::size_t>(last)])) {
        --last;
    }
    int i = 0;
    while (i <= last) {
        const auto& row = rows[static_cast<std::size_t>(i)];
        const bool remove =
            emptyRow(row) ||
            (!pointRow(row) &&
             prompts_.yesNo(txt(kTextDelete163) + QString::number(i + 1) + txt(kTextRowFromTable)));
        if (remove) {
            removeRow(i);
            --last;
        } else {
            ++i;
        }
    }
}

int LinTableEditor::pointCount() const {
    return static_cast<int>(std::count_if(rows.begin(), rows.end(), pointRow));
}

bool LinTableEditor::checkCells() {
    for (int i = 0; i < kGridPoints; ++i) {
        for (const QString& cell : rows[static_cast<std::size_t>(i)]) {
            double v = 0.0;
            if (!checkNumberField(cell, rowCaption(i), prompts_, false, v)) {
                return false;
            }
        }
    }
    const int limit = inputLimit();
    for (int i = 0; i < kGridPoints; ++i) {
        double v = 0.0;
        if (!readNumber(rows[static_cast<std::size_t>(i)][0], v)) {
            continue;
        }
        // Below zero would wrap in the 16-bit table, so it is out of range too.
        const double count = inputCount(v, unit);
        if (count < 0.0 || count > limit) {
            prompts_.warning(txt(kTextValueViolatesSubrangeBouns) +
                             QStringLiteral("(0 - %1) [%2]").arg(limit).arg(i + 1));
            return false;
        }
    }
    return true;
}

int LinTableEditor::gridCheck() {
    compact();
    const int count = pointCount();
    if (!checkCells()) {
        return -1;
    }
    linearizationEnabled = count == 2;
    flowConversionAllowed = count == 2 && (channel_ == 3 || channel_ == 6);
    sort();
    return count;
}

void LinTableEditor::sort() {
    auto key = [](const std::array<QString, 2>& row) {
        double v = 0.0;
        return readNumber(row[0], v) ? v : std::numeric_limits<double>::infinity();
    };
    std::stable_sort(rows.begin(), rows.end(), [&](const auto& a, const auto& b) {
        if (emptyRow(a) || emptyRow(b)) {
            return !emptyRow(a) && emptyRow(b);
        }
        return key(a) < key(b);
    });
}

void LinTableEditor::deleteRow(int index) {
    if (index < 0 || index >= kGridPoints) {
        return;
    }
    // The row goes before the check: compacting and sorting first would move another row
    // under the selection.
    removeRow(index);
    (void)gridCheck();
}

bool LinTableEditor::changeUnit(int to) {
    if (!settings().table_present || gridCheck() < 0) {
        return false;
    }
    for (auto& row : rows) {
        if (!row[0].isEmpty()) {
            row[0] = convertInput(row[0], unit, to).value_or(row[0]);
        }
    }
    unit = to;
    return true;
}

bool LinTableEditor::generate(Characteristic kind, int n) {
    const bool checked = unit != kUnitPixel ? changeUnit(kUnitPixel) : gridCheck() >= 0;
    if (!checked || pointCount() != 2 || !pointRow(rows[0]) || !pointRow(rows[1])) {
        return false;
    }
    linearizationEnabled = false;
    double x0 = 0.0, y0 = 0.0, x1 = 0.0, y1 = 0.0;
    (void)readNumber(rows[0][0], x0);
    (void)readNumber(rows[0][1], y0);
    (void)readNumber(rows[1][0], x1);
    (void)readNumber(rows[1][1], y1);
    rows[static_cast<std::size_t>(n - 1)] = rows[1];
    for (int k = 1; k <= n - 2; ++k) {
        const float d = static_cast<float>(k) / static_cast<float>(n - 1);
        const float fx = kind == Characteristic::Quadratic ? d : d * d;
        const float fy = kind == Characteristic::Quadratic ? d * d : d;
        const auto input = static_cast<qint64>(kSignalZeroCount + roundHalfEven((x1 - x0) * fx));
        rows[static_cast<std::size_t>(k)] = {QString::number(input),
                                             formatDecimal(y0 + (y1 - y0) * fy, 3)};
    }
    return true;
}

bool LinTableEditor::confirmDivider() {
    return !frequency_ || settings().divider != 1 ||
           prompts_.askYesNo(Prompts::Kind::Error, txt(kTextYouAreTryingTo));
}

std::vector<TablePoint> LinTableEditor::points(bool inCounts) const {
    std::vector<TablePoint> out;
    for (const auto& row : rows) {
        TablePoint p;
        if (pointRow(row) && readNumber(row[0], p.input) && readNumber(row[1], p.value)) {
            if (inCounts) {
                p.input = inputCount(p.input, unit);
            }
            out.push_back(p);
        }
    }
    return out;
}

bool LinTableEditor::save() {
    double min = 0.0, max = 0.0;
    if (!checkNumberField(minText, txt(kTextMinValue), prompts_, true, min) ||
        !checkNumberField(maxText, txt(kTextMaxValue), prompts_, true, max) || !confirmDivider()) {
        return false;
    }
    if (unit != kUnitPixel && !changeUnit(kUnitPixel)) {
        return false;
    }
    if (host_) {
        host_->setCancelEnabled(true);
    }
    compact();
    const int count = pointCount();
    if (count < 2) {
        prompts_.error(txt(kTextThereIsNotEnough));
        return false;
    }
    if (!checkCells()) {
        return false;
    }
    bool ok = true;
    if (max < min) {
        prompts_.warning(txt(kTextMinValueMaxValue));
        ok = false;
    }

    definice_PV_rec& s = settings();
    definice_PV_udaj_rec& d = data();
    deleteChannelTable(s, d);
    d.value_min = min;
    d.value_max = max;
    sort();
    const std::vector<TablePoint> table = points(false);
    // The searches start at +-65535, so a table of large values keeps that end.
    double smallest = 65535.0;
    double largest = -65535.0;
    for (const TablePoint& p : table) {
        smallest = std::min(smallest, p.value);
        largest = std::max(largest, p.value);
    }
    d.table_offset = smallest;
    d.table_scale = largest - smallest == 0.0 ? 1.0 : (largest - smallest) / kRawScaleMax;
    s.table_points = static_cast<std::uint16_t>(table.size());
    s.table_present = 1;
    for (std::size_t k = 0; k < table.size(); ++k) {
        s.table_x[k] = static_cast<std::uint16_t>(roundHalfEven(table[k].input));
        const double y = roundHalfEven((table[k].value - d.table_offset) / d.table_scale);
        s.table_y[k] = static_cast<std::uint16_t>(std::clamp(y, 0.0, double{kRawScaleMax}));
    }

    if (host_) {
        host_->tableStored(formatDecimal(d.value_min, 4), formatDecimal(d.value_max, 4),
                           limitText(s, d, s.limit_low, 4), limitText(s, d, s.limit_high, 4));
        d.sensor_type = toCp1250(host_->sensorTypeText());
    }

    const bool reachesMax =
        std::any_of(table.begin(), table.end(), [&](auto& p) { return p.value + 1 >= max; });
    const bool reachesMin =
        std::any_of(table.begin(), table.end(), [&](auto& p) { return p.value <= min; });
    if (!reachesMax) {
        prompts_.error(txt(kTextMaxVaueMaxLin));
        ok = false;
    } else if (!reachesMin) {
        prompts_.error(txt(kTextMinValueMinLin));
        ok = false;
    }
    return ok;
}

bool LinTableEditor::deleteTable() {
    if (!prompts_.yesNo(txt(kTextAreYouSureWant))) {
        return false;
    }
    deleteChannelTable(settings(), data());
    if (host_) {
        host_->tableDeleted();
        host_->setCancelEnabled(false);
    }
    minText = QStringLiteral("0");
    maxText = QStringLiteral("0");
    return true;
}

void LinTableEditor::loadFile() {
    if (!prompts_.yesNo(txt(kTextCurrentTableWillBe))) {
        return;
    }
    FileDialogSpec spec;
    spec.filter = kTableFilter;
    spec.defaultExtension = QStringLiteral("lin");
    const QString path = prompts_.openFile(spec);
    if (path.isEmpty()) {
        return;
    }
    const std::optional<LoadedTable> loaded = loadTableFile(path, prompts_);
    if (!loaded) {
        return;
    }
    rows = loaded->rows;
    // Files hold counts; a grid left in milliamperes would mislabel them.
    unit = kUnitPixel;
    if (loaded->minText) {
        minText = *loaded->minText;
    }
    if (loaded->maxText) {
        maxText = *loaded->maxText;
    }
    if (loaded->divider) {
        settings().divider = *loaded->divider;
    }
    if (!loaded->complete) {
        prompts_.error(txt(kTextFileCorrupted));
    }
}

void LinTableEditor::saveFile() {
    if (!confirmDivider()) {
        return;
    }
    FileDialogSpec spec;
    spec.filter = kTableFilter;
    spec.defaultExtension = QStringLiteral("lin");
    spec.confirmOverwrite = true;
    const QString path = prompts_.saveFile(spec);
    if (path.isEmpty()) {
        return;
    }
    const bool checked = gridCheck() >= 0;
    double min = 0.0, max = 0.0;
    // The file holds counts whatever the grid shows, as loading reads counts back.
    const std::vector<TablePoint> table = checked ? points(true) : std::vector<TablePoint>{};
    if (!readNumber(minText, min) || !readNumber(maxText, max) ||
        saveTableFile(path, min, max, table, settings().divider, prompts_) ==
            TableSaveResult::Failed) {
        prompts_.error(txt(kTextErrorWritingOutputFile));
    }
}

}  // namespace pelmo
