#include "base/field_check.h"

#include "base/prompts.h"
#include "base/texts.h"

namespace pelmo {

namespace {

bool allowed(char32_t c, FieldKind kind) {
    switch (kind) {
        case FieldKind::Text:
            // The station shows only ASCII and its degree sign (B0h in Windows-1250 and
            // in Unicode alike).
            return (c >= 0x20 && c < 0x80) || c == 0xB0;
        case FieldKind::Integer:
            return c >= U'0' && c <= U'9';
        case FieldKind::Decimal:
            return (c >= U'0' && c <= U'9') || c == U',' || c == U'-';
    }
    return false;
}

}  // namespace

QString invalidPositions(const QString& value, FieldKind kind) {
    QString positions;
    int position = 0;
    // Count characters, not UTF-16 units, so a character outside the BMP is one position.
    for (char32_t c : value.toUcs4()) {
        ++position;
        if (!allowed(c, kind)) {
            positions += QString::number(position) + QStringLiteral(". ");
        }
    }
    return positions;
}

bool validateField(const QString& value, const QString& labelCaption, FieldKind kind,
                   Prompts& prompts, bool required) {
    if (value.isEmpty()) {
        if (required) {
            prompts.information(txt(kTextBox) + labelCaption + txt(kTextCanTBeEmpty));
            return false;
        }
        return true;
    }
    const QString positions = invalidPositions(value, kind);
    if (positions.isEmpty()) {
        return true;
    }
    prompts.information(txt(kTextBox151) + labelCaption + txt(kTextContainsIllegalCharactersPos) +
                        positions + txt(kTextClosingParenthesis));
    return false;
}

}  // namespace pelmo
