// The changes of the last frame written, when it repeated its base event for
// event but for the words of some calls: which calls and words changed, and
// by how much each word moved. Writer and reader keep it alike. A frame that
// repeats the same stored frame with changes at the same calls and words is
// one Changes record: each changed word as its delta from the base word plus
// the step the word took in the frame before, so a word moving steadily (the
// game timer, a heading turning) costs a zero byte, and the frame's shape
// costs nothing at all.
#pragma once

#include "capture_file/capture_format.h"

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

struct FrameChanges {
    bool repeatable = false; // the frame was one that a Changes record may repeat
    std::array<ChangedCallSite, MaxChangedCalls> sites{};
    std::size_t siteCount = 0;
    // Each changed word's new value minus its base value, the sites' words in
    // order (a call's arguments, then its answer).
    std::array<std::uint64_t, MaxChangedWords> steps{};
    std::size_t stepCount = 0;
};

// The next frame starts with no changes noted yet.
inline void startFrameChanges(FrameChanges& changes) {
    changes.repeatable = true;
    changes.siteCount = 0;
    changes.stepCount = 0;
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
        changes.steps[changes.stepCount++] = now[i] - was[i];
    });
}

// Copies what the frame noted: its sites and steps.
inline void keepFrameChanges(FrameChanges& to, const FrameChanges& from) {
    to.repeatable = from.repeatable;
    to.siteCount = from.siteCount;
    to.stepCount = from.stepCount;
    std::copy_n(from.sites.begin(), from.siteCount, to.sites.begin());
    std::copy_n(from.steps.begin(), from.stepCount, to.steps.begin());
}

} // namespace capture
