#include "soak/soak_stats.h"

#include <sstream>

namespace soak {

namespace {

void addAll(std::map<std::string, std::int64_t>& into,
            const std::map<std::string, std::int64_t>& from) {
    for (const auto& [kind, count] : from) {
        into[kind] += count;
    }
}

const char* const StateNames[] = {"Idle", "PickingUp", "Dragging", "PuttingDown"};

} // namespace

void Stats::add(const Stats& other) {
    frames += other.frames;
    iterations += other.iterations;
    for (std::size_t i = 0; i < framesInState.size(); ++i) {
        framesInState[i] += other.framesInState[i];
    }
    waitFrames += other.waitFrames;
    pickupsStarted += other.pickupsStarted;
    dragsHeld += other.dragsHeld;
    putdownsStarted += other.putdownsStarted;
    dragsCompleted += other.dragsCompleted;
    followUpsAcrossWrap += other.followUpsAcrossWrap;
    signedWrapsCrossed += other.signedWrapsCrossed;
    promptFramesIdle += other.promptFramesIdle;
    promptFramesDragging += other.promptFramesDragging;
    largestPedList = std::max(largestPedList, other.largestPedList);
    addAll(endings, other.endings);
    addAll(faults, other.faults);
    addAll(inputs, other.inputs);
}

std::int64_t Stats::totalFaults() const {
    std::int64_t total = 0;
    for (const auto& [kind, count] : faults) {
        total += count;
    }
    return total;
}

std::string Stats::report() const {
    std::ostringstream out;
    out << "frames " << frames << ", script iterations " << iterations << "\n";
    out << "frames by state:";
    for (std::size_t i = 0; i < framesInState.size(); ++i) {
        out << " " << StateNames[i] << " " << framesInState[i];
    }
    out << "; inside a dictionary wait " << waitFrames << "\n";
    out << "frames with the drag prompt " << promptFramesIdle << ", with the drop prompt "
        << promptFramesDragging << "\n";
    out << "pick-ups started " << pickupsStarted << ", reached Dragging " << dragsHeld
        << ", put-downs started " << putdownsStarted << ", drags completed " << dragsCompleted
        << "\n";
    out << "signed timer wraps crossed " << signedWrapsCrossed
        << ", follow-ups due across the wrap " << followUpsAcrossWrap << ", longest ped list "
        << largestPedList << "\n";
    out << "drags ended early:";
    for (const auto& [kind, count] : endings) {
        out << " " << kind << " " << count << ";";
    }
    out << "\nfaults injected (" << totalFaults() << "):";
    for (const auto& [kind, count] : faults) {
        out << " " << kind << " " << count << ";";
    }
    out << "\ninputs:";
    for (const auto& [kind, count] : inputs) {
        out << " " << kind << " " << count << ";";
    }
    out << "\n";
    return out.str();
}

} // namespace soak
