#include "base/version.h"

#include <array>

namespace pelmo {

// A version component CMake left empty expands to nothing, so the components are taken as
// text and checked at run time rather than used as numbers.
#define PELMO_STRINGIFY_(x) #x
#define PELMO_STRINGIFY(x) PELMO_STRINGIFY_(x)

namespace {

#if defined(PELMO_VERSION_MAJOR) && defined(PELMO_VERSION_MINOR) && \
    defined(PELMO_VERSION_PATCH) && defined(PELMO_VERSION_TWEAK)
constexpr std::array<const char*, 4> kComponents{
    PELMO_STRINGIFY(PELMO_VERSION_MAJOR), PELMO_STRINGIFY(PELMO_VERSION_MINOR),
    PELMO_STRINGIFY(PELMO_VERSION_PATCH), PELMO_STRINGIFY(PELMO_VERSION_TWEAK)};
#else
constexpr std::array<const char*, 4> kComponents{"", "", "", ""};
#endif

}  // namespace

QString formatVersion(int major, int minor, int release, int build) {
    return QString::asprintf("%d.%02d.%02d.%02d", major, minor, release, build);
}

QString programVersionText() {
    std::array<int, 4> parts{};
    for (std::size_t i = 0; i < kComponents.size(); ++i) {
        bool ok = false;
        parts[i] = QString::fromLatin1(kComponents[i]).toInt(&ok);
        if (!ok) {
            return {};
        }
    }
    return formatVersion(parts[0], parts[1], parts[2], parts[3]);
}

}  // namespace pelmo
