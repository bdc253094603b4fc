// What a picture labels, and the facts of the run its legend tells. A
// picture of a few drags labels every mark; one of more labels only the marks
// of its first and last drags (and of the frames before the first and after
// the last), names the other peds only when they are few, and tells in the
// legend how many of each mark it drew.
#pragma once

#include "report/picture/picture.h"
#include "report/track_part.h"

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace simtool {

// Up to this many drags, every mark is labelled; up to this many other peds,
// each is named.
inline constexpr int EveryDragLabelled = 3;
inline constexpr std::size_t EveryPedNamed = 12;

struct Labelling {
    std::vector<FrameSpan> spans;  // the marks of these frames are labelled
    std::vector<int> drags;        // the drags labelled, when not every one is
    std::set<std::int32_t> bodies; // the dragged bodies named
    bool namesOthers = true;
    std::size_t others = 0; // the other peds drawn

    bool covers(std::int64_t frame) const;
};

// The dragged bodies: every ped the player took hold of.
std::set<std::int32_t> draggedBodies(const Track& track);
// `others`: the other peds the picture shows.
Labelling chooseLabelling(const Track& track, const std::set<std::int32_t>& bodies,
                          std::size_t others);

std::vector<std::string> runFacts(const Track& track, const PictureText& text,
                                  const Labelling& labelling, double gridStep,
                                  std::size_t labelsLeftOut);

} // namespace simtool
