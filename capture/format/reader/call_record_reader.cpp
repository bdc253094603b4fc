// The call records of the delta encoding: a call written whole, and a call
// written as the changes to a call of the base frame.
#include "capture/format/reader/record_input.h"

#include <algorithm>
#include <bit>
#include <span>

namespace capture {

namespace {

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

// Changed words: a count, a bitmap of the changed ones and their deltas;
// words beyond the base's count change from zero.
template <class Add>
bool readChangedWords(RecordInput& input, std::size_t count, std::span<const std::uint64_t> before,
                      std::uint64_t changed, Add add) {
    if (count < 64 && (changed >> count) != 0) {
        return fail(input, "changed word beyond the count");
    }
    for (std::size_t i = 0; i < count && input.in.ok; ++i) {
        const std::uint64_t was = i < before.size() ? before[i] : 0;
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

// The sites of a Repeat record: their count, then for each the base events
// since the site before (or the frame's start) and its two masks.
bool readSites(DeltaReader& reader, RecordInput& input) {
    const std::uint64_t count = takeCount(input.in, MaxRepeatCalls);
    std::uint64_t next = 0;
    for (std::uint64_t k = 0; k < count && input.in.ok; ++k) {
        const std::uint64_t event = next + takeCount(input.in, std::uint64_t{1} << 32);
        const auto argsChanged = static_cast<std::uint32_t>(takeCount(input.in, Uint32Max));
        reader.sites[k] = {static_cast<std::size_t>(event), argsChanged, takeByte(input.in)};
        next = event + 1;
    }
    reader.siteCount = static_cast<std::size_t>(count);
    reader.sitesRead = input.in.ok;
    return good(input, "bad repeat sites");
}

// Whether each site is a call of the base frame with the words its masks name.
bool sitesFit(const DeltaReader& reader) {
    const auto& events = baseFrame(reader).events;
    for (std::size_t k = 0; k < reader.siteCount; ++k) {
        const RepeatSite& site = reader.sites[k];
        if (site.event >= events.size() || events[site.event].kind != EventKind::NativeCall ||
            (std::uint64_t{site.argsChanged} >> events[site.event].argCount) != 0 ||
            (site.resultChanged >> events[site.event].resultCount) != 0) {
            return false;
        }
    }
    return true;
}

} // namespace

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
    if (!good(input, "call record cut short")) {
        return false;
    }
    return finishCall(input, frame);
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
RecordOutcome readRepeat(DeltaReader& reader, RecordInput& input, std::uint8_t small) {
    if (small > op::NewSites || !reader.current.events.empty() || reader.baseCursor != 0) {
        return failed(input, "bad repeat record");
    }
    if ((small == op::NewSites && !readSites(reader, input)) || !reader.sitesRead ||
        baseFrame(reader).events.empty() || !sitesFit(reader)) {
        return failed(input, "repeat record whose sites do not fit its base");
    }
    const EventFrame& base = baseFrame(reader);
    std::size_t site = 0;
    RecordOutcome outcome = RecordOutcome::Event;
    while (outcome == RecordOutcome::Event && reader.baseCursor < base.events.size()) {
        copyEvent(reader.current, base, base.events[reader.baseCursor]);
        if (site < reader.siteCount && reader.sites[site].event == reader.baseCursor) {
            const FrameEvent& event = reader.current.events.back();
            std::uint64_t* words = reader.current.words.data() + event.firstWord;
            const RepeatSite& changed = reader.sites[site++];
            const std::uint64_t mask = changed.argsChanged | std::uint64_t{changed.resultChanged}
                                                                 << event.argCount;
            for (std::uint64_t m = mask; m != 0; m &= m - 1) {
                const auto i = static_cast<std::size_t>(std::countr_zero(m));
                words[i] = applyWordDelta(words[i], takeVarint(input.in));
            }
            if (!good(input, "repeat record cut short") || !finishCall(input, reader.current)) {
                return RecordOutcome::Failed;
            }
        }
        ++reader.baseCursor;
        outcome = eventAdded(reader);
    }
    return outcome;
}

} // namespace capture
