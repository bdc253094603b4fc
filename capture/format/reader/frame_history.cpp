#include "capture/format/reader/frame_history.h"

#include <utility>

namespace capture {

namespace {

FrameShape shapeOf(const EventFrame& frame) {
    FrameShape shape;
    const std::size_t count = frame.events.size();
    if (count > 0) {
        shape.first = eventShapeWord(frame.events.front());
        shape.beforeWait = eventShapeWord(frame.events[count >= 2 ? count - 2 : 0]);
    }
    return shape;
}

} // namespace

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

} // namespace capture
