#pragma once

#include <QString>
#include <array>

#include "model/station_image.h"

namespace pelmo {

inline constexpr int kGridRows = kChannelCount + 1;
inline constexpr int kGridColumns = 5;
inline constexpr int kReadProgressMaximum = 1100;
inline constexpr int kAddressEntries = 32;

// "Varnox/Pelmo v2  (2.01.00.03)".
QString mainWindowCaption();

// The grid's input column for a channel; empty for a channel that is not in use.
QString inputCellText(const definice_PV_rec& settings);

// Channels (index 1..8) that the meter variant uses; they get a "*" in column 0.
std::array<bool, kChannelCount + 1> variantChannels(int variant);

// Column 0 of grid row n ("1. CH"), with the variant mark when the variant uses it.
QString channelRowLabel(int n, bool marked);

// Caption of address entry k (1..32) for its address-list entry: "17 - Kotelna".
QString addressEntryCaption(const TAddressList& entry);

// The status text to show after a language change: "data loaded" stays, in the new
// language; anything else becomes "new station".
QString statusAfterLanguageChange(const QString& current);

}  // namespace pelmo
