#pragma once

#include <QString>

#include "base/texts.h"

namespace pelmo {

// The program's HTML manual in `language`: installed with the package
// (<prefix>/share/doc/pelmo/manual), beside the program (manual/), or in the source tree of
// a development build. Empty when none is there.
QString manualPath(Language language, const QString& programDir);

}  // namespace pelmo
