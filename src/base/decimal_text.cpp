#include "base/decimal_text.h"

#include <QLocale>
#include <cmath>

namespace pelmo {

QString formatDecimal(double v, int decimals) {
    QString text = QString::asprintf("%.*f", decimals, v);
    text.replace(QLatin1Char('.'), QLatin1Char(','));
    return text;
}

bool parseDecimal(const QString& text, double& out) {
    QString plain;
    bool digit = false;
    bool comma = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            digit = true;
            plain += c;
        } else if (c == QLatin1Char('-') && i == 0) {
            plain += c;
        } else if (c == QLatin1Char(',') && !comma) {
            comma = true;
            plain += QLatin1Char('.');
        } else {
            return false;
        }
    }
    if (!digit) {
        return false;
    }
    // The C locale whatever the system's is: the text now holds a decimal point.
    bool ok = false;
    const double v = QLocale::c().toDouble(plain, &ok);
    if (!ok || !std::isfinite(v)) {
        return false;
    }
    out = v;
    return true;
}

}  // namespace pelmo
