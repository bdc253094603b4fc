// A call recorded where the seam sees it, with its texts and slots still
// addresses, is written byte for byte as the general path writes the same
// call given its texts and slot values, whichever way the call differs from
// the stored one it would repeat.
#include "capture/capture_encoder.h"
#include "plugin/natives.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <span>
#include <string>
#include <vector>

namespace {

constexpr std::uint64_t LoadClip = 0x1A2B3C4D5E6F7081;
constexpr std::uint64_t ReadSlot = 0x2B3C4D5E6F708192;
constexpr std::uint64_t Timer = natives::GameTimer;

std::uint64_t address(const void* p) {
    return reinterpret_cast<std::uintptr_t>(p);
}

// One call, as both paths are given it: the general path gets the texts up
// to their end (at most MaxLiveTextRead bytes, as the seam reads them) and
// the slots' values; a null address gives neither.
struct LiveCall {
    std::uint64_t hash = 0;
    std::vector<std::uint64_t> args;
    std::vector<std::uint32_t> textArgs;
    std::vector<std::uint32_t> slotArgs;
    std::vector<std::uint64_t> result;
};

std::uint32_t pointerArgsOf(const LiveCall& c) {
    std::uint32_t pointerArgs = 0;
    for (std::uint32_t i : c.textArgs) {
        pointerArgs |= 1u << i;
    }
    for (std::uint32_t i : c.slotArgs) {
        pointerArgs |= 1u << i;
    }
    return pointerArgs;
}

void recordGeneral(capture::CaptureEncoder& encoder, const LiveCall& c) {
    std::vector<capture::TextArg> texts;
    std::vector<capture::SlotArg> slots;
    for (std::uint32_t i : c.textArgs) {
        if (const auto* text = reinterpret_cast<const char*>(c.args[i])) {
            texts.push_back({i, std::string_view(text, strnlen(text, capture::MaxLiveTextRead))});
        }
    }
    for (std::uint32_t i : c.slotArgs) {
        if (c.args[i] != 0) {
            std::uint32_t value = 0;
            std::memcpy(&value, reinterpret_cast<const void*>(c.args[i]), sizeof value);
            slots.push_back({i, value});
        }
    }
    capture::recordNativeCall(encoder, {c.hash, c.args, texts, slots, c.result, pointerArgsOf(c)});
}

struct TwoEncoders {
    capture::CaptureEncoder general;
    capture::CaptureEncoder live;
    int liveTaken = 0;

    TwoEncoders() {
        capture::beginCapture(general, "0.1.0", "test");
        capture::beginCapture(live, "0.1.0", "test");
    }
    // The live encoder takes the call as the seam does: the inline match
    // first, then the live path, then the general one.
    void call(const LiveCall& c) {
        recordGeneral(general, c);
        switch (capture::matchCall(live, c.hash, c.args.data(), c.args.size(), c.result.data())) {
        case capture::CallMatch::Repeats:
            ++liveTaken;
            return;
        case capture::CallMatch::WordsChanged:
            if (capture::recordChangedWords(live, c.args.data(), c.result.data(), 0,
                                            live.repeated.firstChange)) {
                ++liveTaken;
                return;
            }
            break;
        case capture::CallMatch::Differs:
            break;
        }
        if (capture::recordRepeatedLiveCall(live, c.hash, c.args, c.result, pointerArgsOf(c))) {
            ++liveTaken;
        } else {
            recordGeneral(live, c);
        }
    }
    // The array the host filled: its size is the capacity, and the count it
    // returned may be past it.
    void peds(const std::vector<std::int32_t>& array, std::int32_t returned) {
        const auto capacity = static_cast<std::int32_t>(array.size());
        const std::span<const std::int32_t> written(
            array.data(), static_cast<std::size_t>(std::max(0, std::min(returned, capacity))));
        capture::recordPedsAnswer(general, capacity, written, returned);
        if (capture::repeatsPedsAnswer(live, capacity, array.data(), returned)) {
            ++liveTaken;
        } else {
            capture::recordPedsAnswer(live, capacity, written, returned);
        }
    }
    void wait(std::uint32_t ms = 0) {
        capture::recordWait(general, ms);
        capture::recordWait(live, ms);
    }
    void expectSameBytes() {
        const auto a = capture::flushCapture(general);
        const std::vector<std::uint8_t> generalBytes(a.begin(), a.end());
        const auto b = capture::flushCapture(live);
        EXPECT_EQ(std::vector<std::uint8_t>(b.begin(), b.end()), generalBytes);
    }
};

TEST(CaptureLiveCall, IsWrittenAsTheGeneralPathWritesItHoweverItDiffers) {
    const std::string clip = "ai_combat@drag_ped@base";
    std::uint32_t slot = 5;
    TwoEncoders e;
    // A frame: the timer, a call with a text and a word, a call with a slot.
    const auto frame = [&](std::uint64_t text, std::uint64_t word, std::uint32_t timer) {
        e.call({Timer, {}, {}, {}, {timer}});
        e.call({LoadClip, {text, word}, {0}, {}, {1}});
        e.call({ReadSlot, {7, address(&slot)}, {}, {1}, {1}});
        e.wait();
    };
    frame(address(clip.c_str()), 7, 100);
    const int firstFrame = e.liveTaken;

    const std::string copy = clip; // the same text at another address
    frame(address(copy.c_str()), 7, 117);
    EXPECT_EQ(e.liveTaken, firstFrame + 3) << "a repeated frame is taken whole";

    const std::string shorter = "ai_combat@drag";
    const std::string longer = clip + "s";
    frame(address(shorter.c_str()), 7, 134);
    frame(address(longer.c_str()), 7, 151);
    frame(0, 7, 168);                     // no text at all
    frame(address(clip.c_str()), 7, 171); // and a text again
    slot = 6;
    frame(address(clip.c_str()), 7, 185);
    const int beforeChangedWord = e.liveTaken;
    frame(address(clip.c_str()), 8, 202); // only a word changed
    EXPECT_EQ(e.liveTaken, beforeChangedWord + 3) << "changed words are taken too";
    frame(address(clip.c_str()), 8, 219);

    // A text as long as the seam reads, with no end within it: kept cut, and
    // never read past (under the address sanitizer a byte more is an error).
    std::vector<char> endless(capture::MaxLiveTextRead, 'x');
    frame(address(endless.data()), 8, 236);
    frame(address(endless.data()), 8, 253);
    e.expectSameBytes();
}

TEST(CaptureLiveCall, APedListIsTakenWhereTheSeamSeesItOnlyWhenItRepeats) {
    TwoEncoders e;
    const auto frame = [&](const std::vector<std::int32_t>& array, std::int32_t returned) {
        e.call({Timer, {}, {}, {}, {100}});
        e.peds(array, returned);
        e.wait();
    };
    frame({11, 12, 13, 0}, 3);
    const int before = e.liveTaken;
    frame({11, 12, 13, 0}, 3);
    EXPECT_EQ(e.liveTaken, before + 2) << "a repeated ped list is taken where the seam sees it";
    frame({11, 12, 13, 7}, 3); // past the count: not the list's
    frame({11, 14, 13, 0}, 3); // a handle changed
    frame({11, 14, 13, 0}, 2); // one ped fewer
    frame({11, 14, 13}, 9);    // a count past the array's size: the handles written are kept
    frame({11, 14, 13}, 9);
    frame({}, 0);
    frame({}, 0);
    // A call with no arguments and no answer where the ped list was, of a
    // native whose hash reads as a ped list's or a wait's: a call all the same.
    e.call({Timer, {}, {}, {}, {100}});
    e.call({0, {}, {}, {}, {}});
    e.wait();
    e.expectSameBytes();
}

// Frames that mostly repeat, with random changes of every kind a frame may
// have: words and answers (a few, or more than a frame keeps apart), texts at
// new addresses, shorter, longer or absent, slots, ped lists, calls left out,
// frames of another shape between them, other waits, and flushes.
TEST(CaptureLiveCall, RandomlyVariedFramesAreWrittenAsTheGeneralPathWritesThem) {
    constexpr std::uint64_t Plain = 0x3C4D5E6F708192A3;
    constexpr std::uint64_t Pin = 0x4D5E6F708192A3B4;
    constexpr std::uint64_t Coords = 0x5E6F708192A3B4C5;
    const std::vector<std::string> clips = {"ai_combat@drag_ped@base", "ai_combat@drag", "x", ""};
    for (std::uint32_t seed = 1; seed <= 12; ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 random(seed);
        const auto chance = [&random](std::uint32_t percent) { return random() % 100 < percent; };
        TwoEncoders e;
        std::vector<std::string> texts = clips; // moved to new addresses now and then
        std::size_t clip = 0;
        std::uint32_t slot = 3;
        std::vector<std::int32_t> array = {11, 12, 13, 0};
        std::int32_t returned = 3;
        std::uint64_t word = 7;
        std::uint64_t x = 100;
        for (std::uint64_t timer = 100; timer < 100 + 17 * 300; timer += 17) {
            e.call({Timer, {}, {}, {}, {timer}});
            e.call({Plain, {word}, {}, {}, {word > 5 ? 1u : 0u}});
            x += chance(70) ? 1u : 0u;
            e.call({Pin, {9, 2, x, x + 1, x, 0, 0, 0, 5, 1, 1, 1, 1, 1, 1, 1}, {}, {}, {}});
            e.call({Coords, {9, 1, 0}, {}, {}, {x, 3, x / 2}});
            if (!chance(5)) {
                const bool none = chance(5);
                e.call({LoadClip, {none ? 0 : address(texts[clip].c_str()), word}, {0}, {}, {1}});
            }
            e.peds(array, returned);
            e.call({ReadSlot, {7, address(&slot)}, {}, {1}, {slot % 2}});
            for (std::uint64_t k = 0; chance(3) && k < 20; ++k) {
                e.call({Plain, {k}, {}, {}, {timer + k}}); // a burst of changed calls
            }
            e.wait(chance(5) ? 16 : 0);
            if (chance(5)) { // a frame of another shape, as a dictionary load's wait makes
                e.call({LoadClip, {address(texts[clip].c_str()), 1}, {0}, {}, {0}});
                e.wait();
            }
            word = chance(10) ? random() % 8 : word;
            clip = chance(10) ? random() % clips.size() : clip;
            slot = chance(10) ? random() % 4 : slot;
            if (chance(10)) {
                texts = std::vector<std::string>(clips.begin(), clips.end());
            }
            if (chance(10)) {
                array[random() % array.size()] = static_cast<std::int32_t>(random() % 16);
                returned = static_cast<std::int32_t>(random() % 6);
            }
            if (chance(5)) {
                e.expectSameBytes();
            }
        }
        e.expectSameBytes();
        EXPECT_GT(e.liveTaken, 0);
    }
}

} // namespace
