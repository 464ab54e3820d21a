#pragma once

#include <QString>

namespace pelmo {

// Reals as the operator reads and types them: with a decimal comma ("12,5000").
QString formatDecimal(double v, int decimals);

// Accepts an optional leading minus, digits and at most one decimal comma, with at least
// one digit; the result must be finite. A decimal point is not accepted: the operator's
// separator is the comma, and files have their own readers.
bool parseDecimal(const QString& text, double& out);

}  // namespace pelmo
