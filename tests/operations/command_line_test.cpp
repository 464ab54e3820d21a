// The station addresses pelmo-cli takes: --address, --from/--to and --addresses lists.
#include <gtest/gtest.h>

#include "operations/command_line.h"

namespace pelmo {
namespace {

TEST(BusAddressText, OneAddressIsOneTo251) {
    const std::pair<const char*, std::optional<int>> cases[] = {
        {"1", 1},
        {"251", 251},
        {"17", 17},
        {"0", std::nullopt},
        {"252", std::nullopt},
        {"-1", std::nullopt},
        {"", std::nullopt},
        {"x", std::nullopt},
        {"1.5", std::nullopt},
        {"0x10", std::nullopt},
        {"4294967313", std::nullopt},
    };
    for (const auto& [text, want] : cases) {
        EXPECT_EQ(parseBusAddress(QString::fromLatin1(text)), want) << text;
    }
}

// In the order given, each once, digits only; the first item refused is named.
TEST(BusAddressText, ListsTakeEachAddressOnceOrNothing) {
    const std::tuple<const char*, std::vector<int>, const char*> cases[] = {
        {"42,17", {42, 17}, ""}, {"1,251", {1, 251}, ""}, {"7", {7}, ""},    {"0", {}, "0"},
        {"3,252", {}, "252"},    {"17,17", {}, "17"},     {"3,,17", {}, ""}, {"+3", {}, "+3"},
        {" 3", {}, " 3"},        {"1000", {}, "1000"},    {"", {}, ""},      {"3,x", {}, "x"},
    };
    for (const auto& [text, want, named] : cases) {
        QString bad = QStringLiteral("untouched");
        EXPECT_EQ(parseBusAddressList(QString::fromLatin1(text), bad), want) << text;
        EXPECT_EQ(bad, want.empty() ? QString::fromLatin1(named) : QStringLiteral("untouched"))
            << text;
    }
}

}  // namespace
}  // namespace pelmo
