#include "capture/format/reader/record_input.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace capture {

namespace {

bool readHandles(RecordInput& input, EventFrame& frame, std::size_t count, std::int32_t previous) {
    for (std::size_t i = 0; i < count && input.in.ok; ++i) {
        previous = takeInt32Delta(input, previous);
        addHandle(frame, previous);
    }
    return good(input, "ped handles cut short");
}

bool readPeds(DeltaReader& reader, RecordInput& input) {
    const std::int32_t capacity = takeInt32(input);
    const std::int32_t returned = takeInt32(input);
    const std::uint64_t count = takeCount(input.in, MaxPedHandles);
    if (!good(input, "bad ped list")) {
        return false;
    }
    beginPedsAnswer(reader.current, capacity, returned);
    return readHandles(input, reader.current, static_cast<std::size_t>(count), 0);
}

bool readPedsDelta(DeltaReader& reader, RecordInput& input, const FrameEvent& was) {
    const std::int32_t capacity = takeInt32Delta(input, was.pedsCapacity);
    const std::int32_t returned = takeInt32Delta(input, was.pedsReturned);
    const std::uint64_t count = takeCount(input.in, MaxPedHandles);
    if (!good(input, "bad ped list delta")) {
        return false;
    }
    EventFrame& frame = reader.current;
    beginPedsAnswer(frame, capacity, returned);
    const auto before = handlesOf(baseFrame(reader), was);
    std::size_t used = 0; // base handles passed
    std::size_t made = 0;
    while (made < count) {
        const std::uint64_t run = takeVarint(input.in);
        if (!good(input, "ped list delta cut short")) {
            return false;
        }
        const std::uint64_t length = (run >> 2) + 1;
        switch (run & 3u) {
        case handle_run::Same:
            if (length > count - made || length > before.size() - used) {
                return fail(input, "ped handles beyond the lists");
            }
            for (std::size_t k = 0; k < length; ++k) {
                addHandle(frame, before[used++]);
            }
            made += static_cast<std::size_t>(length);
            break;
        case handle_run::Skip:
            if (length > before.size() - used) {
                return fail(input, "ped handles beyond the base list");
            }
            used += static_cast<std::size_t>(length);
            break;
        case handle_run::Fresh:
            if (length > count - made) {
                return fail(input, "ped handles beyond the list");
            }
            if (!readHandles(input, frame, static_cast<std::size_t>(length),
                             made > 0 ? frame.handles.back() : 0)) {
                return false;
            }
            made += static_cast<std::size_t>(length);
            break;
        default:
            return fail(input, "bad ped handle run");
        }
    }
    return true;
}

// The base event at the cursor, passed, that a delta record (small 0) is
// written against; null when it is not of the record's kind.
const FrameEvent* takeBaseEvent(DeltaReader& reader, EventKind kind, std::uint8_t small) {
    const auto& events = baseFrame(reader).events;
    if (small != 0 || reader.baseCursor >= events.size() ||
        events[reader.baseCursor].kind != kind) {
        return nullptr;
    }
    return &events[reader.baseCursor++];
}

// How many base events a Same or Skip record names, or 0 when they do not
// all exist.
std::uint64_t baseEventCount(DeltaReader& reader, RecordInput& input, std::uint8_t small) {
    const std::uint64_t count = takeSmall(input, small) + 1;
    const std::size_t baseLeft = baseFrame(reader).events.size() - reader.baseCursor;
    return input.in.ok && count != 0 && count <= baseLeft ? count : 0;
}

RecordOutcome readSame(DeltaReader& reader, RecordInput& input, std::uint8_t small) {
    const std::uint64_t count = baseEventCount(reader, input, small);
    if (count == 0) {
        return failed(input, "refers to base events that do not exist");
    }
    // A base frame's only wait is its last event, so a run ends the frame
    // only with its last event.
    RecordOutcome outcome = RecordOutcome::Event;
    for (std::uint64_t k = 0; k < count && outcome == RecordOutcome::Event; ++k) {
        copyEvent(reader.current, baseFrame(reader), baseFrame(reader).events[reader.baseCursor++]);
        outcome = eventAdded(reader);
    }
    return outcome;
}

RecordOutcome readSkip(DeltaReader& reader, RecordInput& input, std::uint8_t small) {
    const std::uint64_t count = baseEventCount(reader, input, small);
    if (count == 0) {
        return failed(input, "passes over base events that do not exist");
    }
    reader.baseCursor += static_cast<std::size_t>(count);
    return RecordOutcome::Skipped;
}

RecordOutcome readCallDeltaRecord(DeltaReader& reader, RecordInput& input, std::uint8_t small) {
    const FrameEvent* was = takeBaseEvent(reader, EventKind::NativeCall, small);
    if (was == nullptr) {
        return failed(input, "call delta without a base call");
    }
    return readCallDelta(reader, input, *was) ? eventAdded(reader) : RecordOutcome::Failed;
}

RecordOutcome readPedsRecord(DeltaReader& reader, RecordInput& input, std::uint8_t small) {
    if (small != 0) {
        return failed(input, "bad ped list record");
    }
    return readPeds(reader, input) ? eventAdded(reader) : RecordOutcome::Failed;
}

RecordOutcome readPedsDeltaRecord(DeltaReader& reader, RecordInput& input, std::uint8_t small) {
    const FrameEvent* was = takeBaseEvent(reader, EventKind::PedsAnswer, small);
    if (was == nullptr) {
        return failed(input, "ped list delta without a base ped list");
    }
    return readPedsDelta(reader, input, *was) ? eventAdded(reader) : RecordOutcome::Failed;
}

RecordOutcome readWait(DeltaReader& reader, RecordInput& input, std::uint8_t small) {
    const std::uint64_t ms = takeSmall(input, small);
    if (!input.in.ok || ms > Uint32Max) {
        return failed(input, "bad wait");
    }
    addWait(reader.current, static_cast<std::uint32_t>(ms));
    return eventAdded(reader);
}

RecordOutcome readBase(DeltaReader& reader, RecordInput& input, std::uint8_t small) {
    if (small >= BaseSlotCount || !reader.current.events.empty() || reader.baseCursor != 0) {
        return failed(input, "bad base record");
    }
    reader.baseSlot = small;
    return RecordOutcome::Skipped;
}

} // namespace

RecordOutcome eventAdded(DeltaReader& reader) {
    if (reader.current.events.back().kind != EventKind::Wait) {
        return RecordOutcome::Event;
    }
    storeFrame(reader.history, reader.current);
    reader.baseSlot = reader.history.lastSlot;
    reader.baseCursor = 0;
    return RecordOutcome::FrameEnded;
}

RecordOutcome failed(RecordInput& input, const char* what) {
    fail(input, what);
    return RecordOutcome::Failed;
}
// A record is an op in the high nibble of its first byte and a small value in
// the low one.
RecordOutcome readRecord(DeltaReader& reader, ByteCursor& in, const char*& problem) {
    RecordInput input{in, problem};
    const std::uint8_t code = takeByte(in);
    if (!good(input, "record cut short")) {
        return RecordOutcome::Failed;
    }
    const auto small = static_cast<std::uint8_t>(code & 0x0F);
    const auto record = static_cast<std::uint8_t>(code & 0xF0);
    switch (record) {
    case op::Same:
        return readSame(reader, input, small);
    case op::Skip:
        return readSkip(reader, input, small);
    case op::Call:
        return readCall(reader, input, small) ? eventAdded(reader) : RecordOutcome::Failed;
    case op::CallDelta:
        return readCallDeltaRecord(reader, input, small);
    case op::Peds:
        return readPedsRecord(reader, input, small);
    case op::PedsDelta:
        return readPedsDeltaRecord(reader, input, small);
    case op::Wait:
        return readWait(reader, input, small);
    case op::Base:
        return readBase(reader, input, small);
    case op::Repeat:
        return readRepeat(reader, input, small);
    default:
        return failed(input, "unknown record");
    }
}

} // namespace capture
