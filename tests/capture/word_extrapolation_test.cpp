// The extrapolation a Changes record writes a changed word against: floats
// on their values, everything else on its bits.
#include "capture/synthetic_frames.h"

#include "capture/format/word_extrapolation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <vector>

namespace {

using capture::extrapolatedWord;
using capture_test::floatWord;

// The word extrapolated from the three words before word t of a sequence.
std::uint64_t extrapolatedAt(const std::vector<std::uint64_t>& words, std::size_t t) {
    const std::uint64_t step = words[t - 1] - words[t - 2];
    const std::uint64_t stepBefore = words[t - 2] - words[t - 3];
    return extrapolatedWord(words[t - 1], step, step - stepBefore);
}

std::vector<std::uint64_t> floatsAlong(const std::function<double(double)>& f, int count) {
    std::vector<std::uint64_t> words;
    for (int t = 0; t < count; ++t) {
        words.push_back(floatWord(static_cast<float>(f(t))));
    }
    return words;
}

// A float on a parabola lands within a few roundings of its extrapolation,
// across powers of two and zero, where its bits jump; a float is worked out
// on its value whichever exponents its three values have.
TEST(WordExtrapolation, AFloatOnACurveIsExtrapolatedOnItsValueAcrossPowersOfTwo) {
    const auto rising =
        floatsAlong([](double t) { return 0.45 + 0.004 * t + 0.00002 * t * t; }, 400);
    const auto falling = floatsAlong([](double t) { return 3.1 - 0.02 * t; }, 150);
    for (const auto* words : {&rising, &falling}) {
        for (std::size_t t = 3; t < words->size(); ++t) {
            const auto distance =
                static_cast<std::int64_t>((*words)[t] - extrapolatedAt(*words, t));
            EXPECT_LE(std::abs(distance), 8) << "at " << t;
        }
    }
}

// Integers, 64-bit words and floats that are not normal (zero, subnormal,
// infinite, NaN), or whose exponents lie far apart, are extrapolated on their
// bits: a counter and a square come out exact, and nothing overflows.
TEST(WordExtrapolation, WordsThatAreNotNormalFloatsAreExtrapolatedOnTheirBits) {
    const std::uint64_t steps[] = {16, 0x0000000100000000, 1};
    // The first counter runs from subnormal floats into normal ones.
    for (const std::uint64_t start :
         {std::uint64_t{0x007FFFE0}, std::uint64_t{0x6A5E000000000008}}) {
        for (const std::uint64_t step : steps) {
            EXPECT_EQ(extrapolatedWord(start + 2 * step, step, 0), start + 3 * step);
        }
    }
    std::vector<std::uint64_t> squares;
    for (std::uint64_t n = 0; n < 10; ++n) {
        squares.push_back(n * n);
    }
    for (std::size_t t = 3; t < squares.size(); ++t) {
        EXPECT_EQ(extrapolatedAt(squares, t), squares[t]);
    }
    // After 1 and 2, a float that is not normal or lies far from them; and
    // near the largest float, where the extrapolation leaves the floats.
    const float big = std::numeric_limits<float>::max();
    const std::vector<std::vector<float>> odd = {{1, 2, 0},
                                                 {1, 2, std::numeric_limits<float>::denorm_min()},
                                                 {1, 2, std::numeric_limits<float>::infinity()},
                                                 {1, 2, std::numeric_limits<float>::quiet_NaN()},
                                                 {1, 2, 1e-30f},
                                                 {big / 4, big / 2, big}};
    for (const auto& floats : odd) {
        const std::vector<std::uint64_t> words = {floatWord(floats[0]), floatWord(floats[1]),
                                                  floatWord(floats[2])};
        const std::uint64_t step = words[2] - words[1];
        const std::uint64_t stepChange = step - (words[1] - words[0]);
        EXPECT_EQ(extrapolatedWord(words[2], step, stepChange), words[2] + step + stepChange)
            << floats[2];
    }
}

} // namespace
