#include "capture_file/reader/frame_delta_reader.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace capture {

namespace {

const EventFrame& baseFrame(const DeltaReader& reader) {
    return reader.history.frames[reader.baseSlot];
}

constexpr std::uint64_t Uint32Max = std::numeric_limits<std::uint32_t>::max();

// Reading stops at the first problem; later reads of the cursor give 0.
struct RecordInput {
    ByteCursor& in;
    const char*& problem;
};

bool fail(RecordInput& input, const char* what) {
    if (input.problem == nullptr) {
        input.problem = what;
    }
    input.in.ok = false;
    return false;
}

bool good(RecordInput& input, const char* whatIfNot) {
    return input.in.ok || fail(input, whatIfNot);
}

std::uint64_t takeSmall(RecordInput& input, std::uint8_t small) {
    if (small < op::SmallLimit) {
        return small;
    }
    const std::uint64_t more = takeVarint(input.in);
    if (more > std::numeric_limits<std::uint64_t>::max() - op::SmallLimit) {
        fail(input, "record value out of range");
        return 0;
    }
    return more + op::SmallLimit;
}

std::int32_t takeInt32(RecordInput& input) {
    const std::uint64_t value = takeVarint(input.in);
    if (value > Uint32Max) {
        fail(input, "32-bit value out of range");
        return 0;
    }
    return static_cast<std::int32_t>(unzigzag(value));
}

std::int32_t takeInt32Delta(RecordInput& input, std::int32_t base) {
    const auto delta = static_cast<std::uint32_t>(takeInt32(input));
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(base) + delta);
}

std::uint64_t takeHash(DeltaReader& reader, RecordInput& input) {
    const std::uint64_t hash = takeU64(input.in);
    reader.hashCache[hashCacheSlot(hash)] = hash;
    return hash;
}

bool readTexts(RecordInput& input, EventFrame& frame) {
    const std::uint64_t count = takeCount(input.in, MaxArgs);
    for (std::uint64_t i = 0; i < count && input.in.ok; ++i) {
        const std::uint64_t argIndex = takeCount(input.in, MaxArgs - 1);
        const std::uint64_t size = takeCount(input.in, MaxTextBytes);
        const auto bytes = takeBytes(input.in, size);
        if (input.in.ok) {
            addText(frame, static_cast<std::uint32_t>(argIndex),
                    {reinterpret_cast<const char*>(bytes.data()), bytes.size()});
        }
    }
    return good(input, "bad text argument");
}

// The rules every call obeys, however it was read: texts and slots in rising
// argument order below the argument count, their words 0.
template <class Entry>
bool pointerArgsValid(const EventFrame& frame, const FrameEvent& event,
                      std::span<const Entry> entries) {
    std::int64_t last = -1;
    for (const Entry& entry : entries) {
        if (entry.argIndex >= event.argCount || static_cast<std::int64_t>(entry.argIndex) <= last ||
            frame.words[event.firstWord + entry.argIndex] != 0) {
            return false;
        }
        last = entry.argIndex;
    }
    return true;
}

bool finishCall(RecordInput& input, const EventFrame& frame) {
    const FrameEvent& event = frame.events.back();
    if (!pointerArgsValid(frame, event, textsOf(frame, event)) ||
        !pointerArgsValid(frame, event, slotsOf(frame, event))) {
        return fail(input, "text or slot argument out of order, out of range or with a word");
    }
    return true;
}

bool readCall(DeltaReader& reader, RecordInput& input, std::uint8_t small) {
    if (small > 1) {
        return fail(input, "bad call record");
    }
    const std::uint64_t hash =
        small == 1 ? reader.hashCache[takeByte(input.in)] : takeHash(reader, input);
    EventFrame& frame = reader.current;
    beginNativeCall(frame, hash);
    const std::uint8_t argCount = takeByte(input.in);
    if (argCount > MaxArgs) {
        return fail(input, "too many arguments");
    }
    for (std::size_t i = 0; i < argCount && input.in.ok; ++i) {
        addArg(frame, takeVarint(input.in));
    }
    readTexts(input, frame);
    const std::uint64_t slotCount = takeCount(input.in, MaxArgs);
    for (std::uint64_t i = 0; i < slotCount && input.in.ok; ++i) {
        const auto argIndex = static_cast<std::uint32_t>(takeCount(input.in, MaxArgs - 1));
        const auto value = static_cast<std::uint32_t>(takeCount(input.in, Uint32Max));
        addSlot(frame, {argIndex, value});
    }
    const std::uint8_t resultCount = takeByte(input.in);
    if (resultCount > MaxResultWords) {
        return fail(input, "too many result words");
    }
    for (std::size_t i = 0; i < resultCount && input.in.ok; ++i) {
        addResultWord(frame, takeVarint(input.in));
    }
    return good(input, "call record cut short") && finishCall(input, frame);
}

// Changed words: a count, a bitmap of the changed ones and their deltas;
// words beyond the base's count change from zero.
template <class Add>
bool readChangedWords(RecordInput& input, std::size_t count, std::span<const std::uint64_t> before,
                      std::uint64_t changed, Add add) {
    if (count < 64 && (changed >> count) != 0) {
        return fail(input, "changed word beyond the count");
    }
    for (std::size_t i = 0; i < count && input.in.ok; ++i) {
        const std::uint64_t was = wordOrZero(before, i);
        add((changed >> i & 1u) != 0 ? applyWordDelta(was, takeVarint(input.in)) : was);
    }
    return input.in.ok;
}

// The changed fields of a call delta; the cursor's first problem stops the
// reading, and readCallDelta tells it at the end.
void readArgsDelta(RecordInput& input, EventFrame& frame, std::span<const std::uint64_t> wasArgs) {
    const std::uint8_t count = takeByte(input.in);
    if (count > MaxArgs) {
        fail(input, "too many arguments");
        return;
    }
    readChangedWords(input, count, wasArgs, takeVarint(input.in),
                     [&](std::uint64_t word) { addArg(frame, word); });
}

void readSlotsDelta(RecordInput& input, EventFrame& frame, std::span<const SlotEntry> wasSlots) {
    const std::uint64_t count = takeCount(input.in, MaxArgs);
    for (std::uint64_t k = 0; k < count && input.in.ok; ++k) {
        const auto argIndex = static_cast<std::uint32_t>(takeCount(input.in, MaxArgs - 1));
        const std::uint32_t wasValue = k < wasSlots.size() ? wasSlots[k].value : 0;
        const auto value =
            static_cast<std::uint32_t>(takeInt32Delta(input, static_cast<std::int32_t>(wasValue)));
        addSlot(frame, {argIndex, value});
    }
}

void readResultDelta(RecordInput& input, EventFrame& frame,
                     std::span<const std::uint64_t> wasResult) {
    const std::uint8_t packed = takeByte(input.in);
    const std::size_t count = packed & 3u;
    if (count > MaxResultWords || (packed >> 5) != 0) {
        fail(input, "bad result words");
        return;
    }
    readChangedWords(input, count, wasResult, packed >> 2,
                     [&](std::uint64_t word) { addResultWord(frame, word); });
}

// A changed base call: each field is read when its bit of the mask is set,
// else taken from the base call `was`.
bool readCallDelta(DeltaReader& reader, RecordInput& input, const FrameEvent& was) {
    const EventFrame& base = baseFrame(reader);
    EventFrame& frame = reader.current;
    const std::uint8_t mask = takeByte(input.in);
    if ((mask & ~delta_field::All) != 0) {
        return fail(input, "bad field mask");
    }
    beginNativeCall(frame, (mask & delta_field::Hash) != 0 ? takeHash(reader, input) : was.hash);
    if ((mask & delta_field::Args) != 0) {
        readArgsDelta(input, frame, argsOf(base, was));
    } else {
        std::ranges::for_each(argsOf(base, was), [&](std::uint64_t word) { addArg(frame, word); });
    }
    if ((mask & delta_field::Texts) != 0) {
        readTexts(input, frame);
    } else {
        for (const TextEntry& text : textsOf(base, was)) {
            addText(frame, text.argIndex, textBytesOf(base, text));
        }
    }
    if ((mask & delta_field::Slots) != 0) {
        readSlotsDelta(input, frame, slotsOf(base, was));
    } else {
        std::ranges::for_each(slotsOf(base, was), [&](SlotEntry slot) { addSlot(frame, slot); });
    }
    if ((mask & delta_field::Result) != 0) {
        readResultDelta(input, frame, resultOf(base, was));
    } else {
        std::ranges::for_each(resultOf(base, was),
                              [&](std::uint64_t word) { addResultWord(frame, word); });
    }
    return good(input, "call delta cut short") && finishCall(input, frame);
}

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

const FrameEvent* baseEventAtCursor(DeltaReader& reader, EventKind kind) {
    if (reader.baseCursor >= baseFrame(reader).events.size()) {
        return nullptr;
    }
    const FrameEvent& event = baseFrame(reader).events[reader.baseCursor];
    return event.kind == kind ? &event : nullptr;
}

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
    const FrameEvent* was = baseEventAtCursor(reader, EventKind::NativeCall);
    if (small != 0 || was == nullptr) {
        return failed(input, "call delta without a base call");
    }
    ++reader.baseCursor;
    return readCallDelta(reader, input, *was) ? eventAdded(reader) : RecordOutcome::Failed;
}

RecordOutcome readPedsRecord(DeltaReader& reader, RecordInput& input, std::uint8_t small) {
    if (small != 0) {
        return failed(input, "bad ped list record");
    }
    return readPeds(reader, input) ? eventAdded(reader) : RecordOutcome::Failed;
}

RecordOutcome readPedsDeltaRecord(DeltaReader& reader, RecordInput& input, std::uint8_t small) {
    const FrameEvent* was = baseEventAtCursor(reader, EventKind::PedsAnswer);
    if (small != 0 || was == nullptr) {
        return failed(input, "ped list delta without a base ped list");
    }
    ++reader.baseCursor;
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

// A record is an op in the high nibble of its first byte and a small value in
// the low one.
RecordOutcome readRecord(DeltaReader& reader, ByteCursor& in, const char*& problem) {
    RecordInput input{in, problem};
    const std::uint8_t code = takeByte(in);
    if (!good(input, "record cut short")) {
        return RecordOutcome::Failed;
    }
    const auto small = static_cast<std::uint8_t>(code & 0x0F);
    switch (code & 0xF0) {
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
    default:
        return failed(input, "unknown record");
    }
}

} // namespace capture
