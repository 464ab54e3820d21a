#pragma once

#include <QString>

namespace pelmo {

// Reals as the operator sees them: a decimal comma ("%.4f" of 12.5 is "12,5000").
QString formatDecimal(double v, int decimals);

// Reads a real typed with a decimal comma (a point is taken too). False, and `out` left
// alone, unless the whole text is one finite number.
bool parseDecimal(const QString& text, double& out);

}  // namespace pelmo
