#include "editing/number_field.h"

#include "base/decimal_text.h"
#include "base/field_check.h"
#include "base/prompts.h"
#include "base/texts.h"

namespace pelmo {

int numberBreakPosition(const QString& text) {
    const int n = static_cast<int>(text.size());
    int i = 0;
    if (i < n && text[i] == QLatin1Char('-')) {
        ++i;
    }
    bool digits = false;
    bool comma = false;
    for (; i < n; ++i) {
        const QChar c = text[i];
        if (c.isDigit() && c.unicode() < 0x80) {
            digits = true;
        } else if (c == QLatin1Char(',') && !comma) {
            comma = true;
        } else {
            return i + 1;
        }
    }
    if (!digits) {
        return n == 0 ? 1 : n;
    }
    return 0;
}

bool readNumber(const QString& text, double& out) {
    return numberBreakPosition(text) == 0 && parseDecimal(text, out);
}

bool checkNumberField(const QString& text, const QString& caption, Prompts& prompts, bool required,
                      double& out) {
    if (!validateField(text, caption, FieldKind::Decimal, prompts, required)) {
        return false;
    }
    if (text.isEmpty() || readNumber(text, out)) {
        return true;
    }
    const int at = numberBreakPosition(text);
    prompts.information(txt(kTextBox151) + caption + txt(kTextContainsIllegalCharactersPos) +
                        QString::number(at == 0 ? 1 : at) + QStringLiteral(". ") +
                        txt(kTextClosingParenthesis));
    return false;
}

bool readDigits(const QString& text, std::int64_t& out) {
    if (text.isEmpty() || !invalidPositions(text, FieldKind::Integer).isEmpty()) {
        return false;
    }
    // More than nine digits exceed every field we store.
    out = text.size() > 9 ? 999999999 : text.toLongLong();
    return true;
}

bool checkDigitsField(const QString& text, const QString& caption, Prompts& prompts,
                      std::int64_t& out) {
    return validateField(text, caption, FieldKind::Integer, prompts, true) && readDigits(text, out);
}

}  // namespace pelmo
