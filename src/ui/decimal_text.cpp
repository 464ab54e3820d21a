#include "ui/decimal_text.h"

#include <cmath>

namespace pelmo {

QString formatDecimal(double v, int decimals) {
    QString text = QString::number(v, 'f', decimals);
    text.replace(QLatin1Char('.'), QLatin1Char(','));
    return text;
}

bool parseDecimal(const QString& text, double& out) {
    // Checked by hand: toDouble would also take exponents, blanks and group separators.
    int i = 0;
    const int n = static_cast<int>(text.size());
    if (i < n && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
        ++i;
    }
    int digits = 0;
    bool separator = false;
    for (; i < n; ++i) {
        const QChar c = text[i];
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            ++digits;
        } else if ((c == QLatin1Char(',') || c == QLatin1Char('.')) && !separator) {
            separator = true;
        } else {
            return false;
        }
    }
    if (digits == 0) {
        return false;
    }
    QString plain = text;
    plain.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double value = plain.toDouble(&ok);
    if (!ok || !std::isfinite(value)) {
        return false;
    }
    out = value;
    return true;
}

}  // namespace pelmo
