#pragma once

#include "base/texts.h"

namespace pelmo {

// Qt's own texts (message box buttons, the file dialogs) in the program's language: Qt's
// Czech translation is installed for Czech and taken out again for English. Returns whether
// Qt now speaks that language (false when its Czech translation is not installed).
bool applyQtTranslation(Language language);

}  // namespace pelmo
