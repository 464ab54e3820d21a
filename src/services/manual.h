#pragma once

#include <QString>

#include "base/texts.h"

namespace pelmo {

// The program's HTML manual in `language`: installed with the package
// (<prefix>/share/pelmo/manual, not under share/doc, which minimal systems leave out), beside
// the program (manual/), or in the source tree of a development build. Empty when none is
// there.
QString manualPath(Language language, const QString& programDir);

}  // namespace pelmo
