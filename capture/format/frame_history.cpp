#include "capture/format/frame_history.h"

#include <utility>

namespace capture {

FrameShape shapeOf(const EventFrame& frame) {
    FrameShape shape;
    const std::size_t count = frame.events.size();
    if (count > 0) {
        shape.first = eventShapeWord(frame.events.front());
        shape.beforeWait = eventShapeWord(frame.events[count >= 2 ? count - 2 : 0]);
    }
    return shape;
}

void storeFrame(FrameHistory& history, EventFrame& finished) {
    const FrameShape shape = shapeOf(finished);
    std::size_t slot = BaseSlotCount;
    for (std::size_t i = 0; i < BaseSlotCount && slot == BaseSlotCount; ++i) {
        if (history.storedAt[i] != 0 && history.shapes[i] == shape) {
            slot = i;
        }
    }
    if (slot == BaseSlotCount) {
        slot = 0;
        for (std::size_t i = 1; i < BaseSlotCount; ++i) {
            if (history.storedAt[i] < history.storedAt[slot]) {
                slot = i;
            }
        }
    }
    std::swap(history.frames[slot], finished);
    clearFrame(finished);
    history.shapes[slot] = shape;
    history.storedAt[slot] = ++history.framesStored;
    history.lastSlot = slot;
}

std::size_t latestStartingWith(const FrameHistory& history, std::uint64_t firstShapeWord) {
    std::size_t best = BaseSlotCount;
    std::uint64_t bestAt = 0;
    for (std::size_t i = 0; i < BaseSlotCount; ++i) {
        if (history.storedAt[i] > bestAt && history.shapes[i].first == firstShapeWord) {
            best = i;
            bestAt = history.storedAt[i];
        }
    }
    return best;
}

std::size_t chooseBase(const FrameHistory& history, const EventFrame& frame, bool complete) {
    if (frame.events.empty()) {
        return history.lastSlot;
    }
    const FrameShape shape = shapeOf(frame);
    if (complete) {
        for (std::size_t i = 0; i < BaseSlotCount; ++i) {
            if (history.storedAt[i] != 0 && history.shapes[i] == shape) {
                return i;
            }
        }
    }
    const std::size_t latest = latestStartingWith(history, shape.first);
    return latest == BaseSlotCount ? history.lastSlot : latest;
}

} // namespace capture
