#pragma once

#include <QString>

#include "model/station_image.h"

namespace pelmo {

class Prompts;

// The station definition as the main window's four boxes hold it.
struct StationBoxes {
    QString name;
    QString meter;
    QString messages;
    QString address;
};

// The checks before a station is saved or programmed, in order; the first failure is
// shown and stops them. On success a message count of 0 has become 10 (in the box too),
// messages_total holds the count, and the automatic memory distribution is up to date.
bool checkStationDefinition(StationBoxes& boxes, StationImage& image, Prompts& prompts);

// Reruns the automatic memory distribution and checks that the channels fit the memory the
// station has beside its messages; text 309 with the excess when they do not.
bool checkStationMemory(StationImage& image, Prompts& prompts);

// The boxes as they are filled from an image.
StationBoxes boxesFromImage(const StationImage& image);
// Name, address, message count and meter name copied from the boxes into the image.
void storeBoxes(const StationBoxes& boxes, StationImage& image);

}  // namespace pelmo
