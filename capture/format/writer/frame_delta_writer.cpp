#include "capture/format/byte_codec.h"
#include "capture/format/writer/capture_encoder.h"

namespace capture {

namespace {

// How far ahead the writer looks for base events left out or events put in
// before it writes an event whole in place of the base event at the cursor.
constexpr std::size_t RealignWindow = 16;

void putOp(std::vector<std::uint8_t>& out, std::uint8_t code, std::uint64_t small) {
    if (small < op::SmallLimit) {
        putByte(out, static_cast<std::uint8_t>(code | small));
    } else {
        putByte(out, static_cast<std::uint8_t>(code | op::SmallLimit));
        putVarint(out, small - op::SmallLimit);
    }
}

void putTexts(std::vector<std::uint8_t>& out, const EventFrame& frame, const FrameEvent& event) {
    putVarint(out, event.textCount);
    for (const TextEntry& text : textsOf(frame, event)) {
        putVarint(out, text.argIndex);
        putVarint(out, text.size);
        putBytes(out, textBytesOf(frame, text));
    }
}

// A literal hash goes into the cache; a cached one is named by its slot.
void putHash(DeltaWriter& writer, std::vector<std::uint8_t>& out, std::uint64_t hash) {
    writer.hashCache[hashCacheSlot(hash)] = hash;
    putU64(out, hash);
}

void putWords(std::vector<std::uint8_t>& out, std::span<const std::uint64_t> words) {
    for (const std::uint64_t word : words) {
        putVarint(out, word);
    }
}

void writeCall(DeltaWriter& writer, const EventFrame& frame, const FrameEvent& event,
               std::vector<std::uint8_t>& out) {
    const std::size_t slot = hashCacheSlot(event.hash);
    if (writer.hashCache[slot] == event.hash) {
        putByte(out, op::Call | 1u);
        putByte(out, static_cast<std::uint8_t>(slot));
    } else {
        putByte(out, op::Call);
        putHash(writer, out, event.hash);
    }
    putByte(out, static_cast<std::uint8_t>(event.argCount));
    putWords(out, argsOf(frame, event));
    putTexts(out, frame, event);
    putVarint(out, event.slotCount);
    for (const SlotEntry& s : slotsOf(frame, event)) {
        putVarint(out, s.argIndex);
        putVarint(out, s.value);
    }
    putByte(out, static_cast<std::uint8_t>(event.resultCount));
    putWords(out, resultOf(frame, event));
}

void putHandles(std::vector<std::uint8_t>& out, std::span<const std::int32_t> handles,
                std::int32_t previous) {
    for (std::int32_t handle : handles) {
        putVarint(out, int32Delta(handle, previous));
        previous = handle;
    }
}

void writePeds(const EventFrame& frame, const FrameEvent& event, std::vector<std::uint8_t>& out) {
    putByte(out, op::Peds);
    putVarint(out, zigzag(event.pedsCapacity));
    putVarint(out, zigzag(event.pedsReturned));
    putVarint(out, event.handleCount);
    putHandles(out, handlesOf(frame, event), 0);
}

void writeWhole(DeltaWriter& writer, const EventFrame& frame, const FrameEvent& event,
                std::vector<std::uint8_t>& out) {
    switch (event.kind) {
    case EventKind::NativeCall:
        writeCall(writer, frame, event, out);
        break;
    case EventKind::PedsAnswer:
        writePeds(frame, event, out);
        break;
    case EventKind::Wait:
        putOp(out, op::Wait, event.waitMs);
        break;
    }
}

} // namespace

void closeSameRun(DeltaWriter& writer, std::vector<std::uint8_t>& out) {
    if (writer.sameRun > 0) {
        putOp(out, op::Same, writer.sameRun - 1);
        writer.sameRun = 0;
    }
}

void writeNextEvent(DeltaWriter& writer, const EventFrame& base, const EventFrame& current,
                    std::vector<std::uint8_t>& out) {
    const std::size_t i = writer.nextEvent++;
    const FrameEvent& event = current.events[i];
    std::size_t& b = writer.baseCursor;
    const std::size_t baseCount = base.events.size();

    if (b < baseCount && sameEvent(current, event, base, base.events[b])) {
        ++writer.sameRun;
        ++b;
        return;
    }
    closeSameRun(writer, out);
    if (b >= baseCount) {
        writeWhole(writer, current, event, out);
        return;
    }
    const FrameEvent& was = base.events[b];
    // Only a change beyond the answer hints that the calls no longer line up:
    // base events left out, or events put in.
    if (differsInCall(current, event, base, was)) {
        for (std::size_t k = 1; k <= RealignWindow && b + k < baseCount; ++k) {
            if (sameEvent(current, event, base, base.events[b + k])) {
                putOp(out, op::Skip, k - 1);
                b += k + 1;
                writer.sameRun = 1;
                return;
            }
        }
        for (std::size_t k = 1; k <= RealignWindow && i + k < current.events.size(); ++k) {
            if (sameEvent(current, current.events[i + k], base, was)) {
                writeWhole(writer, current, event, out);
                return;
            }
        }
    }
    // A call or ped list in place of one of the base's is written whole, the
    // base's passed over: whole records compress better than deltas of the
    // words. A wait ends the frame, so the cursor need not move past it.
    if (event.kind == was.kind && event.kind != EventKind::Wait) {
        putOp(out, op::Skip, 0);
        ++b;
    }
    writeWhole(writer, current, event, out);
}

} // namespace capture
