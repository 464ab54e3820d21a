#pragma once

#include <QString>

namespace pelmo {

inline constexpr const char* kApplicationTitle = "Varnox/Pelmo v2";

// "%d.%02d.%02d.%02d" of major, minor, release and build.
QString formatVersion(int major, int minor, int release, int build);

// The program's own version as set by the build; empty when the build gave none.
QString programVersionText();

}  // namespace pelmo
