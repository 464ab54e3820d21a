#include "ui/main_window_logic.h"

#include "base/cp1250.h"
#include "base/texts.h"
#include "base/version.h"

namespace pelmo {

QString mainWindowCaption() {
    return QString::fromLatin1(kApplicationTitle) +
           QStringLiteral("  (%1.%2.%3.%4)")
               .arg(PELMO_VERSION_MAJOR)
               .arg(PELMO_VERSION_MINOR, 2, 10, QLatin1Char('0'))
               .arg(PELMO_VERSION_PATCH, 2, 10, QLatin1Char('0'))
               .arg(PELMO_VERSION_TWEAK, 2, 10, QLatin1Char('0'));
}

QString inputCellText(const definice_PV_rec& s) {
    if (!s.in_use) {
        return {};
    }
    const int c = s.input_code;
    if (c < 9) {
        return txt(kTextAnalog) + QStringLiteral(" %1").arg(c);
    }
    if (c < 32) {
        return txt(kTextDigital) + QStringLiteral(" %1").arg(c - 8);
    }
    if (c < 48) {
        return txt(kTextFrequency) + QStringLiteral(" %1").arg(c - 31);
    }
    // HART modems 1..4 would otherwise read as impulse counters 17..20.
    if (c >= 64) {
        return txt(kTextHARTModem) + QStringLiteral(" %1").arg(c - 63);
    }
    return txt(kTextImpCounter) + QStringLiteral(" %1").arg(c - 47);
}

std::array<bool, kChannelCount + 1> variantChannels(int variant) {
    std::array<bool, kChannelCount + 1> marks{};
    auto mark = [&](std::initializer_list<int> channels) {
        for (int n : channels) {
            marks[static_cast<std::size_t>(n)] = true;
        }
    };
    switch (variant) {
        case 1:
            mark({1, 2, 3});
            break;
        case 2:
            mark({1, 2, 3, 4, 5, 6});
            break;
        case 3:
            mark({7, 8});
            break;
        case 4:
            mark({1, 2, 3, 7, 8});
            break;
        case 5:
        case 8:
            mark({1, 2, 3, 4, 5, 6, 7, 8});
            break;
        case 6:
            mark({4, 6, 7, 8});
            break;
        case 7:
            mark({1, 2, 3, 4, 6, 7, 8});
            break;
        default:
            break;
    }
    return marks;
}

QString channelRowLabel(int n, bool marked) {
    return QStringLiteral("%1. CH").arg(n) + (marked ? QStringLiteral("*") : QString());
}

QString addressEntryCaption(const TAddressList& entry) {
    return QString::number(entry.address) + QStringLiteral(" - ") + fromCp1250(entry.name);
}

QString statusAfterLanguageChange(const QString& current) {
    // Compared in both languages, so that a loaded station still says so after a switch.
    const bool loaded = current == tableText(kTextDataLoaded, Language::Czech) ||
                        current == tableText(kTextDataLoaded, Language::English) ||
                        current == txt(kTextDataLoaded);
    return loaded ? txt(kTextDataLoaded) : txt(kTextNewStation142);
}

}  // namespace pelmo
