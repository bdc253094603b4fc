#include "capture_file/writer/repeated_frame.h"

#include "capture_file/byte_codec.h"

#include <algorithm>

namespace capture {

namespace {

// The stored frame a frame starting with this event most likely repeats: the
// latest with the same first event.
bool predictRepeat(CaptureEncoder& encoder, std::uint64_t firstShapeWord) {
    const FrameHistory& history = encoder.history;
    std::size_t best = BaseSlotCount;
    std::uint64_t bestAt = 0;
    for (std::size_t i = 0; i < BaseSlotCount; ++i) {
        if (history.storedAt[i] > bestAt && history.shapes[i].first == firstShapeWord) {
            best = i;
            bestAt = history.storedAt[i];
        }
    }
    if (best == BaseSlotCount) {
        return false;
    }
    repeatFrom(encoder.repeated, history, best);
    return true;
}

// Whether a call has the stored call's native, word counts, texts and slots;
// `pointers` gets the mask of the arguments its texts and slots are at.
bool sameNativeTextsAndSlots(const EventFrame& stored, const FrameEvent& was,
                             const NativeCallRecord& call, std::size_t argCount,
                             std::size_t resultCount, std::uint32_t& pointers) {
    if (was.kind != EventKind::NativeCall || was.hash != call.hash || was.argCount != argCount ||
        was.resultCount != resultCount || was.textCount != call.texts.size() ||
        was.slotCount != call.slots.size()) {
        return false;
    }
    pointers = 0;
    const auto texts = textsOf(stored, was);
    for (std::size_t k = 0; k < call.texts.size(); ++k) {
        if (texts[k].argIndex != call.texts[k].argIndex ||
            textBytesOf(stored, texts[k]) != call.texts[k].bytes.substr(0, MaxTextBytes)) {
            return false;
        }
        pointers |= std::uint32_t{1} << (call.texts[k].argIndex & 31);
    }
    const auto slots = slotsOf(stored, was);
    for (std::size_t k = 0; k < call.slots.size(); ++k) {
        if (slots[k].argIndex != call.slots[k].argIndex || slots[k].value != call.slots[k].value) {
            return false;
        }
        pointers |= std::uint32_t{1} << (call.slots[k].argIndex & 31);
    }
    return true;
}

// Whether a call's words and answer are the stored call's, but for the words
// at `pointers`, which are not compared.
bool sameWords(const EventFrame& stored, const FrameEvent& was, const NativeCallRecord& call,
               std::uint32_t pointers) {
    const auto args = argsOf(stored, was);
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] != call.args[i] && (pointers >> i & 1u) == 0) {
            return false;
        }
    }
    const auto result = resultOf(stored, was);
    return std::equal(result.begin(), result.end(), call.result.begin());
}

// Notes the call as one whose words changed, if the frame has room for one
// more: its words as they are now, 0 at `pointers`.
bool noteChangedCall(RepeatedFrame& repeated, const NativeCallRecord& call, std::size_t argCount,
                     std::size_t resultCount, std::uint32_t pointers) {
    if (repeated.changedCount == MaxChangedCalls) {
        return false;
    }
    repeated.changedCalls[repeated.changedCount++] = {repeated.next, repeated.newWordCount};
    std::uint64_t* now = repeated.newWords.data() + repeated.newWordCount;
    for (std::size_t i = 0; i < argCount; ++i) {
        now[i] = (pointers >> i & 1u) == 0 ? call.args[i] : 0;
    }
    std::copy_n(call.result.begin(), resultCount, now + argCount);
    repeated.newWordCount += argCount + resultCount;
    return true;
}

} // namespace

void repeatFrom(RepeatedFrame& repeated, const FrameHistory& history, std::size_t slot) {
    repeated.active = !history.frames[slot].events.empty();
    repeated.slot = slot;
    repeated.next = 0;
    repeated.changedCount = 0;
    repeated.newWordCount = 0;
}

const FrameEvent* nextRepeatedEvent(CaptureEncoder& encoder, std::uint64_t shapeWord) {
    RepeatedFrame& repeated = encoder.repeated;
    if (repeated.active && repeated.next == 0 &&
        eventShapeWord(encoder.history.frames[repeated.slot].events[0]) != shapeWord) {
        repeated.active = false;
    }
    if (!repeated.active &&
        (!encoder.current.events.empty() || !predictRepeat(encoder, shapeWord))) {
        return nullptr;
    }
    const auto& events = encoder.history.frames[repeated.slot].events;
    return repeated.next < events.size() ? &events[repeated.next] : nullptr;
}

bool repeatsCall(CaptureEncoder& encoder, const FrameEvent& was, const NativeCallRecord& call,
                 std::size_t argCount, std::size_t resultCount) {
    RepeatedFrame& repeated = encoder.repeated;
    const EventFrame& stored = encoder.history.frames[repeated.slot];
    std::uint32_t pointers = 0;
    if (!sameNativeTextsAndSlots(stored, was, call, argCount, resultCount, pointers)) {
        return false;
    }
    if (!sameWords(stored, was, call, pointers) &&
        !noteChangedCall(repeated, call, argCount, resultCount, pointers)) {
        return false;
    }
    ++repeated.next;
    return true;
}

void stopRepeating(CaptureEncoder& encoder) {
    RepeatedFrame& repeated = encoder.repeated;
    if (!repeated.active) {
        return;
    }
    repeated.active = false;
    const EventFrame& stored = encoder.history.frames[repeated.slot];
    EventFrame& current = encoder.current;
    std::size_t changed = 0;
    for (std::size_t k = 0; k < repeated.next; ++k) {
        copyEvent(current, stored, stored.events[k]);
        if (changed < repeated.changedCount && repeated.changedCalls[changed].event == k) {
            const FrameEvent& event = current.events.back();
            const std::uint64_t* now =
                repeated.newWords.data() + repeated.changedCalls[changed].firstNewWord;
            std::copy_n(now, event.argCount + event.resultCount,
                        current.words.begin() + static_cast<std::ptrdiff_t>(event.firstWord));
            ++changed;
        }
    }
}

void writeRepeatedFrame(CaptureEncoder& encoder, std::vector<std::uint8_t>& out) {
    RepeatedFrame& repeated = encoder.repeated;
    FrameHistory& history = encoder.history;
    EventFrame& stored = history.frames[repeated.slot];
    DeltaWriter& writer = encoder.writer;
    if (repeated.slot != history.lastSlot) {
        putByte(out, static_cast<std::uint8_t>(op::Base | repeated.slot));
    }
    for (std::size_t j = 0; j < repeated.changedCount; ++j) {
        const ChangedCall& changed = repeated.changedCalls[j];
        writer.sameRun += changed.event - writer.baseCursor;
        closeSameRun(writer, out);
        const FrameEvent& was = stored.events[changed.event];
        const std::span<std::uint64_t> wasWords(stored.words.data() + was.firstWord,
                                                was.argCount + was.resultCount);
        const std::span<const std::uint64_t> now(repeated.newWords.data() + changed.firstNewWord,
                                                 wasWords.size());
        writeChangedWords(out, wasWords.first(was.argCount), now.first(was.argCount),
                          wasWords.subspan(was.argCount), now.subspan(was.argCount));
        std::copy(now.begin(), now.end(), wasWords.begin());
        writer.baseCursor = changed.event + 1;
    }
    writer.sameRun += stored.events.size() - writer.baseCursor;
    closeSameRun(writer, out);
    history.storedAt[repeated.slot] = ++history.framesStored;
    history.lastSlot = repeated.slot;
    startNextFrame(writer);
}

} // namespace capture
