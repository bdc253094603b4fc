#include "capture/format/byte_codec.h"
#include "capture/format/writer/capture_encoder.h"

#include <algorithm>
#include <bit>

namespace capture {

namespace {

// How far ahead the writer looks for base events left out or events put in
// before it falls back to writing an event against the base event at the cursor.
constexpr std::size_t RealignWindow = 16;
constexpr std::size_t HandleRealignWindow = 8;

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

// Bit i: word i differs from the base's word (0 past the base's end).
std::uint32_t changedWords(std::span<const std::uint64_t> words,
                           std::span<const std::uint64_t> wasWords) {
    std::uint32_t changed = 0;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (words[i] != wordOrZero(wasWords, i)) {
            changed |= 1u << i;
        }
    }
    return changed;
}

// The words that changed (bit i of `changed`: word i), each against the
// base's word.
void putChangedWords(std::vector<std::uint8_t>& out, std::span<const std::uint64_t> words,
                     std::span<const std::uint64_t> wasWords, std::uint32_t changed) {
    for (; changed != 0; changed &= changed - 1) {
        const auto i = static_cast<std::size_t>(std::countr_zero(changed));
        putVarint(out, wordDelta(words[i], wordOrZero(wasWords, i)));
    }
}

void putArgsDelta(std::vector<std::uint8_t>& out, std::span<const std::uint64_t> args,
                  std::span<const std::uint64_t> wasArgs, std::uint32_t changed) {
    putByte(out, static_cast<std::uint8_t>(args.size()));
    putVarint(out, changed);
    putChangedWords(out, args, wasArgs, changed);
}

void putResultDelta(std::vector<std::uint8_t>& out, std::span<const std::uint64_t> result,
                    std::span<const std::uint64_t> wasResult, std::uint32_t changed) {
    putByte(out, static_cast<std::uint8_t>(result.size() | changed << 2));
    putChangedWords(out, result, wasResult, changed);
}

void writeCallDelta(DeltaWriter& writer, const EventFrame& base, const FrameEvent& was,
                    const EventFrame& frame, const FrameEvent& event,
                    std::vector<std::uint8_t>& out) {
    const auto args = argsOf(frame, event);
    const auto wasArgs = argsOf(base, was);
    const auto result = resultOf(frame, event);
    const auto wasResult = resultOf(base, was);
    const auto slots = slotsOf(frame, event);
    const auto wasSlots = slotsOf(base, was);

    std::uint8_t mask = 0;
    if (event.hash != was.hash) {
        mask |= delta_field::Hash;
    }
    if (!std::equal(args.begin(), args.end(), wasArgs.begin(), wasArgs.end())) {
        mask |= delta_field::Args;
    }
    if (!sameTexts(frame, event, base, was)) {
        mask |= delta_field::Texts;
    }
    if (!std::equal(slots.begin(), slots.end(), wasSlots.begin(), wasSlots.end())) {
        mask |= delta_field::Slots;
    }
    if (!std::equal(result.begin(), result.end(), wasResult.begin(), wasResult.end())) {
        mask |= delta_field::Result;
    }

    putByte(out, op::CallDelta);
    putByte(out, mask);
    if ((mask & delta_field::Hash) != 0) {
        putHash(writer, out, event.hash);
    }
    if ((mask & delta_field::Args) != 0) {
        putArgsDelta(out, args, wasArgs, changedWords(args, wasArgs));
    }
    if ((mask & delta_field::Texts) != 0) {
        putTexts(out, frame, event);
    }
    if ((mask & delta_field::Slots) != 0) {
        putVarint(out, slots.size());
        for (std::size_t k = 0; k < slots.size(); ++k) {
            const std::uint32_t wasValue = k < wasSlots.size() ? wasSlots[k].value : 0;
            putVarint(out, slots[k].argIndex);
            putVarint(out, int32Delta(static_cast<std::int32_t>(slots[k].value),
                                      static_cast<std::int32_t>(wasValue)));
        }
    }
    if ((mask & delta_field::Result) != 0) {
        putResultDelta(out, result, wasResult, changedWords(result, wasResult));
    }
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

// The handle list as runs against the base list: handles the same, base
// handles left out, and fresh handles (each against the handle before it).
struct HandleRuns {
    std::span<const std::int32_t> handles;
    std::uint8_t kind = handle_run::Same;
    std::size_t length = 0;
    std::size_t start = 0; // of a fresh run, in handles
};

void closeRun(HandleRuns& runs, std::vector<std::uint8_t>& out) {
    if (runs.length == 0) {
        return;
    }
    putVarint(out, (runs.length - 1) << 2 | runs.kind);
    if (runs.kind == handle_run::Fresh) {
        const std::int32_t previous = runs.start > 0 ? runs.handles[runs.start - 1] : 0;
        putHandles(out, runs.handles.subspan(runs.start, runs.length), previous);
    }
    runs.length = 0;
}

void addToRun(HandleRuns& runs, std::uint8_t kind, std::size_t count, std::size_t at,
              std::vector<std::uint8_t>& out) {
    if (runs.length > 0 && runs.kind != kind) {
        closeRun(runs, out);
    }
    if (runs.length == 0) {
        runs.kind = kind;
        runs.start = at;
    }
    runs.length += count;
}

void writePedsDelta(const EventFrame& base, const FrameEvent& was, const EventFrame& frame,
                    const FrameEvent& event, std::vector<std::uint8_t>& out) {
    putByte(out, op::PedsDelta);
    putVarint(out, int32Delta(event.pedsCapacity, was.pedsCapacity));
    putVarint(out, int32Delta(event.pedsReturned, was.pedsReturned));
    putVarint(out, event.handleCount);

    const auto now = handlesOf(frame, event);
    const auto before = handlesOf(base, was);
    HandleRuns runs{now};
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < now.size()) {
        if (j < before.size() && now[i] == before[j]) {
            addToRun(runs, handle_run::Same, 1, i, out);
            ++i;
            ++j;
            continue;
        }
        std::size_t left = 0;
        for (std::size_t k = 1; k <= HandleRealignWindow && j + k < before.size(); ++k) {
            if (before[j + k] == now[i]) {
                left = k;
                break;
            }
        }
        if (left > 0) {
            addToRun(runs, handle_run::Skip, left, i, out);
            j += left;
            continue;
        }
        addToRun(runs, handle_run::Fresh, 1, i, out);
        ++i;
        // A base handle that does not come back soon was replaced: pass over it.
        if (j < before.size()) {
            const auto ahead = now.subspan(i, std::min(HandleRealignWindow, now.size() - i));
            if (std::find(ahead.begin(), ahead.end(), before[j]) == ahead.end()) {
                addToRun(runs, handle_run::Skip, 1, i, out);
                ++j;
            }
        }
    }
    // Base handles left over at the end need no record.
    if (runs.kind == handle_run::Skip) {
        runs.length = 0;
    }
    closeRun(runs, out);
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
    if (event.kind == EventKind::NativeCall && was.kind == EventKind::NativeCall) {
        writeCallDelta(writer, base, was, current, event, out);
        ++b;
    } else if (event.kind == EventKind::PedsAnswer && was.kind == EventKind::PedsAnswer) {
        writePedsDelta(base, was, current, event, out);
        ++b;
    } else {
        writeWhole(writer, current, event, out);
    }
}

} // namespace capture
