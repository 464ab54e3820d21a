#pragma once

#include <QString>

namespace pelmo {

class Prompts;

enum class FieldKind {
    Text,     // printable ASCII and the degree sign
    Integer,  // digits only
    Decimal,  // digits, decimal comma and minus
};

// Checks an edit box or grid cell before its value is converted. An empty required value
// reports texts 149, the caption and 150; offending characters report texts 151, the
// caption, 152, their 1-based positions each followed by ". ", and 153. Both as
// information boxes. True when the value passes.
bool validateField(const QString& value, const QString& labelCaption, FieldKind kind,
                   Prompts& prompts, bool required);

// The 1-based positions of the characters the kind does not allow.
QString invalidPositions(const QString& value, FieldKind kind);

}  // namespace pelmo
