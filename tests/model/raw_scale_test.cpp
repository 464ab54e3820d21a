#include "model/raw_scale.h"

#include <gtest/gtest.h>

namespace pelmo {
namespace {

definice_PV_udaj_rec range(double lo, double hi, double offset = 0.0) {
    definice_PV_udaj_rec d;
    d.value_min = lo;
    d.value_max = hi;
    d.table_offset = offset;
    return d;
}

TEST(RawScale, EndsAndEmptyRange) {
    const auto d = range(-10.0, 150.0, 7.5);
    EXPECT_DOUBLE_EQ(rawToValue(d, kRawScaleMax), 150.0);
    // A raw 0 stands for "no value" and reads as the table offset, not value_min.
    EXPECT_DOUBLE_EQ(rawToValue(d, 0), 7.5);
    EXPECT_EQ(valueToRaw(d, -10.0), 0);
    EXPECT_EQ(valueToRaw(d, 150.0), kRawScaleMax);

    const auto empty = range(5.0, 5.0, 3.0);
    EXPECT_DOUBLE_EQ(rawToValue(empty, 1234), 3.0);
    EXPECT_EQ(valueToRaw(empty, 5.0), 0);
    EXPECT_EQ(valueToRaw(empty, 99.0), 0);
}

TEST(RawScale, HalvesGoToTheEvenNeighbour) {
    // Over 0..65534 the raw value equals the value, so halves land exactly on .5.
    const auto d = range(0.0, kRawScaleMax);
    EXPECT_EQ(valueToRaw(d, 0.5), 0);
    EXPECT_EQ(valueToRaw(d, 1.5), 2);
    EXPECT_EQ(valueToRaw(d, 2.5), 2);
    EXPECT_EQ(valueToRaw(d, 2.4999), 2);
    EXPECT_EQ(valueToRaw(d, 3.5), 4);
    EXPECT_EQ(roundHalfEven(-2.5), -2.0);
}

TEST(RawScale, OutOfRangeValuesDoNotWrap) {
    const auto d = range(0.0, 100.0);
    EXPECT_EQ(valueToRaw(d, -1.0), 0);
    EXPECT_EQ(valueToRaw(d, 1000.0), 65535);
}

TEST(RawScale, EveryRawValueSurvivesARoundTrip) {
    const auto d = range(-40.0, 250.0);
    for (int raw = 1; raw <= kRawScaleMax; ++raw) {
        const auto r = static_cast<std::uint16_t>(raw);
        ASSERT_EQ(valueToRaw(d, rawToValue(d, r)), r) << raw;
    }
}

}  // namespace
}  // namespace pelmo
