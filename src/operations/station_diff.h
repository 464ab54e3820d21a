#pragma once

#include <QString>
#include <optional>
#include <vector>

namespace pelmo {

struct StationImage;

// One field that differs, in the operator's terms: the record ("Kanál 3"), the field's
// caption as the editors show it, and the two values as the operator reads them.
struct FieldDifference {
    QString record;
    QString field;
    QString left;   // the station's value (or the first file's)
    QString right;  // the file's value (or the second file's)
    // The two values as numbers, for a field that holds a number.
    std::optional<double> leftNumber;
    std::optional<double> rightNumber;
    bool operator==(const FieldDifference&) const = default;
};

// Every difference between two configurations under the programming run's compare rules:
// texts as bytes (the right side's sensor type without trailing blanks and NULs), reals
// rounded to whole numbers halves to even, integers exactly, and table values only where
// both sides have a table with the same number of points. Captions follow the current
// language; `gas` picks the gas version's meter captions.
std::vector<FieldDifference> compareConfigurations(const StationImage& left,
                                                   const StationImage& right, bool gas);

}  // namespace pelmo
