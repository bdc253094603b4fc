// The changes of the last frame written, when it repeated its base event for
// event but for the words of some calls: which calls and words changed, by
// how much each word moved and how much that step differed from the one
// before, and which changed word took the value of one changed before it in
// the frame (an answer passed on as an argument). Writer and reader keep it
// alike. A frame that repeats the same stored frame with changes at the same
// calls and words is one Changes record: each changed word as its delta from a
// prediction, the value of the word it copied in the frame before, else its
// base word moved on by its last step, itself moved on by its last change. A
// word moving steadily (the game timer) or smoothly (a position along a
// curve, a heading turning), or passing on an answer as before, costs a zero
// byte or little more, and the frame's shape costs nothing at all. When the
// words the last Changes record predicted exactly are exact again, the
// record says so once and leaves their zero deltas out.
#pragma once

#include "capture/format/capture_format.h"
#include "capture/format/word_extrapolation.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>

namespace capture {

// A frame with more changed calls than this is not repeated by a Changes
// record.
inline constexpr std::size_t MaxChangedCalls = 16;
inline constexpr std::size_t MaxChangedWords = MaxChangedCalls * (MaxArgs + MaxResultWords);

// A changed call: its index in the frame and which of its argument and
// answer words changed (bit i: word i).
struct ChangedCallSite {
    std::size_t event = 0;
    std::uint32_t argsChanged = 0;
    std::uint32_t resultChanged = 0;
    bool operator==(const ChangedCallSite&) const = default;
};

// How far back among a frame's changed words a copied value is looked for.
inline constexpr std::size_t CopyWindow = 16;

struct FrameChanges {
    bool repeatable = false; // the frame was one that a Changes record may repeat
    std::array<ChangedCallSite, MaxChangedCalls> sites{};
    std::size_t siteCount = 0;
    // For each changed word, the sites' words in order (a call's arguments,
    // then its answer): its new value minus its base value (its step), that
    // step minus its step in the frame before (0 in a frame of changes unlike
    // the frame before's), its new value, and 1 + the index of the first of
    // the CopyWindow changed words before it with the same new value (0:
    // none).
    std::array<std::uint64_t, MaxChangedWords> steps{};
    std::array<std::uint64_t, MaxChangedWords> stepChanges{};
    std::array<std::uint64_t, MaxChangedWords> values{};
    std::array<std::uint16_t, MaxChangedWords> copies{};
    // Whether the last Changes record predicted the word exactly (its delta
    // was 0); false in a frame of changes unlike the frame before's.
    std::array<bool, MaxChangedWords> predictedExactly{};
    std::size_t wordCount = 0;
};

// The next frame starts with no changes noted yet.
inline void startFrameChanges(FrameChanges& changes) {
    changes.repeatable = true;
    changes.siteCount = 0;
    changes.wordCount = 0;
}

// What a Changes record writes changed word k against, given its base word:
// in the frame before it copied an earlier word, that word's value now (the
// earlier words of the frame are already noted), else its base word plus its
// step then, changed by as much as that step changed.
inline std::uint64_t predictedWord(const FrameChanges& changes, std::size_t k, std::uint64_t was) {
    return changes.copies[k] != 0 ? changes.values[changes.copies[k] - 1u]
                                  : extrapolatedWord(was, changes.steps[k], changes.stepChanges[k]);
}

// Whether a Changes record of these deltas, one for each changed word, may
// leave out those of the words the last one predicted exactly.
inline bool exactAsBefore(const FrameChanges& changes, const std::uint64_t* deltas) {
    for (std::size_t k = 0; k < changes.wordCount; ++k) {
        if (changes.predictedExactly[k] && deltas[k] != 0) {
            return false;
        }
    }
    return true;
}

// Word k of a frame of the same changes as the frame before.
inline void noteChangedWordAgain(FrameChanges& changes, std::size_t k, std::uint64_t was,
                                 std::uint64_t now) {
    changes.stepChanges[k] = (now - was) - changes.steps[k];
    changes.steps[k] = now - was;
    changes.values[k] = now;
}

// Once every changed word of the frame is noted: which copied which.
inline void findCopiedWords(FrameChanges& changes) {
    for (std::size_t k = 0; k < changes.wordCount; ++k) {
        changes.copies[k] = 0;
        for (std::size_t j = k > CopyWindow ? k - CopyWindow : 0; j < k; ++j) {
            if (changes.values[j] == changes.values[k]) {
                changes.copies[k] = static_cast<std::uint16_t>(j + 1);
                break;
            }
        }
    }
}

// Calls visit(i) for each changed word of a site, i counting the call's words
// (its arguments, then its answer), in the order the records hold them.
template <class Visit>
void forEachChangedWord(const ChangedCallSite& site, std::size_t argCount, Visit visit) {
    for (std::uint32_t m = site.argsChanged; m != 0; m &= m - 1) {
        visit(static_cast<std::size_t>(std::countr_zero(m)));
    }
    for (std::uint32_t m = site.resultChanged; m != 0; m &= m - 1) {
        visit(argCount + static_cast<std::size_t>(std::countr_zero(m)));
    }
}

// Notes a changed call, given its words before and after (arguments, then
// answer); a frame of more changed calls than a Changes record repeats is no
// longer repeatable.
inline void noteChangedCallSite(FrameChanges& changes, const ChangedCallSite& site,
                                std::size_t argCount, const std::uint64_t* was,
                                const std::uint64_t* now) {
    if (!changes.repeatable || changes.siteCount == MaxChangedCalls) {
        changes.repeatable = false;
        return;
    }
    changes.sites[changes.siteCount++] = site;
    forEachChangedWord(site, argCount, [&](std::size_t i) {
        const std::size_t k = changes.wordCount++;
        changes.steps[k] = now[i] - was[i];
        changes.stepChanges[k] = 0;
        changes.values[k] = now[i];
        changes.predictedExactly[k] = false;
    });
}

// Copies what the frame noted.
inline void keepFrameChanges(FrameChanges& to, const FrameChanges& from) {
    to.repeatable = from.repeatable;
    to.siteCount = from.siteCount;
    to.wordCount = from.wordCount;
    std::copy_n(from.sites.begin(), from.siteCount, to.sites.begin());
    std::copy_n(from.steps.begin(), from.wordCount, to.steps.begin());
    std::copy_n(from.stepChanges.begin(), from.wordCount, to.stepChanges.begin());
    std::copy_n(from.values.begin(), from.wordCount, to.values.begin());
    std::copy_n(from.copies.begin(), from.wordCount, to.copies.begin());
    std::copy_n(from.predictedExactly.begin(), from.wordCount, to.predictedExactly.begin());
}

} // namespace capture
