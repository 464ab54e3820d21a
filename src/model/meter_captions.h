#pragma once

#include <QString>

namespace pelmo {

// Rows of the meter editor's grids, which the station comparison names fields by as well.
inline constexpr int kMeterConstantRows = 14;
inline constexpr int kMeterParameterRows = 6;

// Record constant (1..15) behind row 1..14 of the constants grid.
int constantOfRow(int row);

// Captions of the grid rows and the unit boxes in the current language.
QString constantCaption(int row, bool gas);
// Row 1..6 of the parameters grid; rows 5 and 6 carry the unit of their coefficient.
QString parameterCaption(int row, bool gas, bool perTonne);
// Caption of box_1 (coefficient 1) or box_2 (coefficient 2).
QString unitBoxCaption(int coefficient, bool perTonne);

}  // namespace pelmo
