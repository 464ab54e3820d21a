#pragma once

#include <QString>
#include <cstdint>

namespace pelmo {

class Prompts;

// The field check in number mode followed by the conversion. Text such as "1,2,3" or "--"
// passes the character check but is no number; it is reported like an illegal character,
// at the position where the number breaks, instead of reaching the conversion.
bool checkNumberField(const QString& text, const QString& caption, Prompts& prompts, bool required,
                      double& out);
// The same without a message, for boxes that were checked before.
bool readNumber(const QString& text, double& out);

// The field check in digits mode followed by the conversion; a value too long for any field
// reads as the largest one so that range checks refuse it.
bool checkDigitsField(const QString& text, const QString& caption, Prompts& prompts,
                      std::int64_t& out);
bool readDigits(const QString& text, std::int64_t& out);

// 1-based position of the first character at which `text` stops being a number; 0 when it
// is one. Empty text breaks at position 1.
int numberBreakPosition(const QString& text);

}  // namespace pelmo
