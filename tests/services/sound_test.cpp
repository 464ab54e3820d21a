#include "services/sound.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace pelmo {
namespace {

// Sign changes in samples [from, to): two per period of the tone.
int signChanges(const std::vector<std::int16_t>& s, std::size_t from, std::size_t to) {
    int changes = 0;
    for (std::size_t i = from + 1; i < to; ++i) {
        if ((s[i - 1] < 0) != (s[i] < 0)) {
            ++changes;
        }
    }
    return changes;
}

TEST(Tones, CompletionIsTwoTonesOfAHundredMilliseconds) {
    const std::vector<std::int16_t> s = toneSamples(signalTones(SoundSignal::Completion));
    const std::size_t half = kToneSampleRate / 10;
    ASSERT_EQ(s.size(), 2 * half);
    // 800 Hz for 0.1 s is 80 periods, 600 Hz 60.
    EXPECT_NEAR(signChanges(s, 0, half), 160, 2);
    EXPECT_NEAR(signChanges(s, half, 2 * half), 120, 2);
}

TEST(Tones, WarningIsFiftyMillisecondsAt900Hz) {
    const std::vector<std::int16_t> s = toneSamples(signalTones(SoundSignal::Warning));
    ASSERT_EQ(s.size(), static_cast<std::size_t>(kToneSampleRate / 20));
    EXPECT_NEAR(signChanges(s, 0, s.size()), 90, 2);
}

TEST(Tones, LoudWithoutClippingAndSoftAtTheEdges) {
    const std::vector<std::int16_t> s = toneSamples({{1000, 20}, {0, 10}, {500, 0}}, 8000);
    ASSERT_EQ(s.size(), 240u);
    int peak = 0;
    for (std::size_t i = 0; i < 160; ++i) {
        peak = std::max(peak, std::abs(static_cast<int>(s[i])));
    }
    EXPECT_GT(peak, 8000);
    EXPECT_LT(peak, 32767);
    EXPECT_EQ(s.front(), 0);
    EXPECT_LT(std::abs(static_cast<int>(s[159])), 1000);
    for (std::size_t i = 160; i < s.size(); ++i) {
        EXPECT_EQ(s[i], 0) << "a 0 Hz tone is silence";
    }
    EXPECT_TRUE(toneSamples({{800, 100}}, 0).empty());
}

}  // namespace
}  // namespace pelmo
