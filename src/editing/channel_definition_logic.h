#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

#include "model/station_image.h"

namespace pelmo {

class Prompts;

// Input list of the channel editor: analog 1..8, digital 1..6, frequency 1..4, impulse
// counter 1..4 and HART modem 1..4, in this order.
inline constexpr int kInputEntries = 26;
enum InputGroup : int { kAnalog = 0, kDigital = 1, kFrequency = 2, kCounter = 3, kHart = 4 };

// Group of list index `index`, -1 outside the list.
int inputGroup(int index);
// "Analogový 3": the group's text and the entry's number within the group.
QString inputEntryText(int index);
std::uint8_t inputCodeForIndex(int index);
// The entry of a stored input code; 0 (undefined) selects the first entry, a code that no
// entry carries gives -1.
int inputIndexForCode(std::uint8_t code);
bool isFrequencyEntry(int index);
// Digital and impulse counter inputs count pulses: the maximum value box holds the pulse
// number and there is no minimum or sensor type.
bool isPulseEntry(int index);
// Digital, impulse counter and HART inputs carry no linearization table.
bool tableForbidden(int index);
bool tableRequired(int index);

// The measurement and display lists, index stored as is.
QStringList measurementEntries();
QStringList displayEntries();

struct OutputEntry {
    QString text;
    std::uint8_t code;  // without inversion
};

inline constexpr std::uint8_t kInvertOffset = 16;

// The output list for the meter's output_word: the internal analog outputs the meter
// computes itself are left out. An internal analog output the channel already drives stays
// in the list, so that opening and saving never changes an output unseen.
std::vector<OutputEntry> outputEntries(std::int32_t outputWord, std::uint8_t storedCode = 0);
bool isInvertedOutput(std::uint8_t code);
std::uint8_t baseOutputCode(std::uint8_t code);

struct OutputSelection {
    int index = -1;  // -1: the stored code is in no entry
    bool inverted = false;
};
OutputSelection selectOutput(const std::vector<OutputEntry>& entries, std::uint8_t storedCode);

struct IntervalParts {
    int hours = 0;
    int minutes = 0;
    int seconds = 0;
};
IntervalParts splitInterval(int seconds);
// Seconds of the three boxes; 0 counts as 1.
int joinInterval(int hours, int minutes, int seconds);
// The station's 12-hour cycle must be a whole number of intervals.
bool intervalFitsCycle(int seconds);

// A limit box for a raw limit, or "-" when the channel has no table.
inline const QString kNoLimit = QStringLiteral("-");
QString limitText(const definice_PV_rec& settings, const definice_PV_udaj_rec& data,
                  std::uint16_t raw, int decimals);

// Enabling and labels of the calibration water temperature and temperature coefficient
// boxes; nothing set means "leave as they are".
struct TemperatureBoxes {
    std::optional<bool> waterEnabled;
    std::optional<bool> coefEnabled;
    int waterLabel = 85;  // text numbers
    int coefLabel = 86;
};
TemperatureBoxes temperatureBoxes(int programVersion, int channel);

// Gas meter variant: channels 7 and 8 enter their temperature coefficient as a percentage
// of meter constant 9.
bool coefficientAsPercentage(const definice_meridla_rec& meter, int channel);

// Label captions the messages name the boxes by.
struct ChannelCaptions {
    QString name, text, units, sensor, minValue, maxValue, memory, minLimit, interval, water, coef,
        maxLimit;
};
ChannelCaptions defaultChannelCaptions();

// The editor's controls as values, so that opening and saving run without widgets.
struct ChannelForm {
    QString name, text, units, sensorType;
    QString minValue, maxValue, memory, minLimit, maxLimit, waterTemp, tempCoef;
    int hours = 0, minutes = 0, seconds = 0;
    int measurement = -1;  // -1: no entry selected, the stored value stays
    int display = -1;
    int inputIndex = -1;
    int outputCode = -1;  // selected entry's code; -1 none selected, the stored output stays
    bool inverted = false;
    ChannelCaptions captions = defaultChannelCaptions();
};

// The boxes as opening fills them from channel n of the image.
ChannelForm channelFormFromImage(const StationImage& image, int channel);

// The field checks in their order; the first failure is shown and stops them.
bool checkChannelFields(const ChannelForm& form, Prompts& prompts);

// The save sequence after the field checks. Every step runs; a failed step shows its
// message, and values stored by the steps before and after it stay in the image. True when
// every step passed.
bool storeChannel(StationImage& image, int channel, const ChannelForm& form, Prompts& prompts);

// Field checks, then the save sequence when they passed.
bool saveChannel(StationImage& image, int channel, const ChannelForm& form, Prompts& prompts);

// Automatic allocation run by the editor for channel n: stores the interval of the three
// boxes when it fits the cycle (else text 156), shares the memory out, and returns the
// channel's memory for its box.
int allocateForChannel(StationImage& image, int channel, int hours, int minutes, int seconds,
                       Prompts& prompts);

// "Smazat": clears the channel but keeps its memory mode, divider and old table points.
void deleteChannel(definice_PV_rec& settings, definice_PV_udaj_rec& data);

}  // namespace pelmo
