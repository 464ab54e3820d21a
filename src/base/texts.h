#pragma once

#include <QString>

#include "base/text_ids.h"

namespace pelmo {

enum class Language : int { Czech = 1, English = 2 };

void setLanguage(Language language);
Language language();
// Any value other than 2 selects Czech, as a stored setting may hold anything.
Language languageFromSetting(int value);

// Debug option: prefix every looked-up text with its number.
void setTextCodes(bool on);
bool textCodes();

// Operator text number n in the current language ("n:  " first when text codes are on).
// Named txt, not tr, so that it never collides with QObject::tr inside our windows.
QString txt(int n);
// The bare table entry; empty for a number the language lacks.
QString tableText(int n, Language language);
bool hasText(int n, Language language);

}  // namespace pelmo
