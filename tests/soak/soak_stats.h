// What a soak run did: frames by drag state, drags, how drags ended, and the
// faults the generator injected by kind. Printed at the end of a run, and the
// proof that the run reached what it was meant to reach.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>

namespace soak {

struct Stats {
    std::int64_t frames = 0;
    std::int64_t iterations = 0;
    std::array<std::int64_t, 4> framesInState{}; // by the state at the end of the frame
    std::int64_t waitFrames = 0;                 // frames that ended inside a dictionary wait
    std::int64_t pickupsStarted = 0;
    std::int64_t dragsHeld = 0; // pick-ups that reached Dragging
    std::int64_t putdownsStarted = 0;
    std::int64_t dragsCompleted = 0; // put-downs that ran to their end
    std::int64_t followUpsAcrossWrap = 0;
    std::int64_t signedWrapsCrossed = 0;
    std::int64_t promptFramesIdle = 0;
    std::int64_t promptFramesDragging = 0;
    std::int64_t largestPedList = 0;
    std::map<std::string, std::int64_t> endings; // how drags ended before their put-down
    std::map<std::string, std::int64_t> faults;  // what the generator did, by kind
    std::map<std::string, std::int64_t> inputs;  // what the player did, by kind

    void add(const Stats& other);
    std::int64_t totalFaults() const;
    std::string report() const;
};

} // namespace soak
