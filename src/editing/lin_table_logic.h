#pragma once

#include <QString>
#include <array>
#include <optional>
#include <vector>

#include "files/table_file.h"
#include "model/station_image.h"

namespace pelmo {

class Prompts;

// Units of the input column. Counts are converter counts ("Pixel"), count 48 being the
// signal zero; the two current modes show milliamperes.
inline constexpr int kUnit4to20 = 0;
inline constexpr int kUnit0to20 = 1;
inline constexpr int kUnitPixel = 2;
inline constexpr int kSignalZeroCount = 48;
inline constexpr int kAnalogInputLimit = 4092;
inline constexpr int kFrequencyInputLimit = 5000;

double countToMilliamps(double count, int unit);
// Rounded to a whole count.
double milliampsToCount(double milliamps, int unit);
// An input typed in unit `from` in unit `to`, always by way of counts: "%.3f" for
// milliamperes, a whole number for counts. Nothing for a text that is no number.
std::optional<QString> convertInput(const QString& text, int from, int to);
// "[4-20mA]", "[0-20mA]" or "[Pixel]".
QString unitCaption(int unit);

// Removes a channel's table, its value range and its sensor type.
void deleteChannelTable(definice_PV_rec& settings, definice_PV_udaj_rec& data);

// What the table editor reads from and changes in the channel editor that opened it.
class LinTabHost {
public:
    virtual ~LinTabHost() = default;

    virtual bool frequencyInput() const = 0;
    virtual QString minValueText() const = 0;
    virtual QString maxValueText() const = 0;
    virtual QString sensorTypeText() const = 0;
    virtual void setCancelEnabled(bool on) = 0;
    // The table is gone: both limit boxes "-" and the sensor type empty.
    virtual void tableDeleted() = 0;
    // The table was stored: the value and limit boxes get these texts, the maximum value
    // box its plain label again and the minimum value box is enabled.
    virtual void tableStored(const QString& min, const QString& max, const QString& lowLimit,
                             const QString& highLimit) = 0;
};

inline constexpr int kGridPoints = kTablePoints;
// Point rows of the grid (grid rows 2..17): input, value.
using TableRows = std::array<std::array<QString, 2>, kGridPoints>;

enum class Characteristic { Quadratic, Radical };

// The table editor without its widgets: the grid's point rows, the two value boxes and the
// unit, with every command of the window. The grid is a working copy; only save() and
// deleteTable() change the channel's table.
class LinTableEditor {
public:
    LinTableEditor(StationImage& image, Prompts& prompts);

    // Opening for a channel: the stored points, the channel editor's value range, the
    // divider warning for a frequency input, the grid check, counts.
    void open(int channel, LinTabHost& host);

    // Compacts, checks every cell and the input limit, then enables the generators and
    // sorts. The number of points, or -1 when a check failed (its message was shown).
    int gridCheck();
    // Removes empty rows; rows with one empty cell are removed when the operator agrees.
    void compact();
    int pointCount() const;
    // Ascending inputs; rows that are no number go last.
    void sort();
    // Ctrl+Y on point row `index` (0..15).
    void deleteRow(int index);
    // False when nothing changed (no table yet, or the grid check failed).
    bool changeUnit(int to);
    // Fills `rows` (14 or 16) rows between the two points; false when the table is not two
    // points.
    bool generate(Characteristic kind, int rows);

    // "Uložit": true when the window may close.
    bool save();
    // "Smazat": true when the table was deleted and the window closes.
    bool deleteTable();
    void loadFile();
    void saveFile();

    int channel() const { return channel_; }
    int inputLimit() const { return frequency_ ? kFrequencyInputLimit : kAnalogInputLimit; }
    bool frequency() const { return frequency_; }
    QString dividerText() const;

    TableRows rows;
    QString minText;
    QString maxText;
    int unit = kUnitPixel;
    bool linearizationEnabled = false;
    // "Převod jednotek..." would be offered (two points on channel 3 or 6).
    bool flowConversionAllowed = false;

private:
    definice_PV_rec& settings() { return image_.channel(channel_); }
    definice_PV_udaj_rec& data() { return image_.channelData(channel_); }
    bool checkCells();
    bool confirmDivider();
    void removeRow(int index);
    std::vector<TablePoint> points(bool inCounts) const;

    StationImage& image_;
    Prompts& prompts_;
    LinTabHost* host_ = nullptr;
    int channel_ = 1;
    bool frequency_ = false;
};

}  // namespace pelmo
