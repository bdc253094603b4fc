#include "capture/format/writer/capture_encoder.h"

#include <algorithm>
#include <bit>

namespace capture {

namespace {

// The current frame, empty, is taken to repeat the frame in this slot.
void repeatFrom(RepeatedFrame& repeated, const FrameHistory& history, std::size_t slot) {
    repeated.active = !history.frames[slot].events.empty();
    repeated.slot = slot;
    repeated.stored = &history.frames[slot];
    repeated.eventCount = history.frames[slot].events.size();
    repeated.next = 0;
    repeated.changedCount = 0;
    repeated.newWordCount = 0;
}

// Keeps the texts and slots whose indices rise and stay below the argument
// count.
template <class Arg> bool keepArg(const Arg& arg, std::size_t argCount, std::int64_t& lastIndex) {
    if (arg.argIndex >= argCount || static_cast<std::int64_t>(arg.argIndex) <= lastIndex) {
        return false;
    }
    lastIndex = arg.argIndex;
    return true;
}

// Appends the call, its words already cut to MaxArgs and MaxResultWords, to
// the current frame, with 0 for the words of its texts and slots.
void addCall(EventFrame& frame, const NativeCallRecord& call) {
    const std::size_t argCount = call.args.size();
    const std::size_t resultCount = call.result.size();
    const std::size_t firstWord = beginNativeCall(frame, call.hash).firstWord;
    frame.words.insert(frame.words.end(), call.args.begin(), call.args.end());
    frame.words.insert(frame.words.end(), call.result.begin(), call.result.end());
    frame.events.back().argCount = static_cast<std::uint32_t>(argCount);
    frame.events.back().resultCount = static_cast<std::uint32_t>(resultCount);
    std::int64_t lastIndex = -1;
    for (const TextArg& text : call.texts) {
        if (keepArg(text, argCount, lastIndex)) {
            frame.words[firstWord + text.argIndex] = 0;
            addText(frame, text.argIndex, text.bytes.substr(0, MaxTextBytes));
        }
    }
    lastIndex = -1;
    for (const SlotEntry& slot : call.slots) {
        if (keepArg(slot, argCount, lastIndex)) {
            frame.words[firstWord + slot.argIndex] = 0;
            addSlot(frame, {slot.argIndex, slot.value});
        }
    }
}

// Every frame buffer keeps room for the largest frame seen, so that buffers
// passed from slot to slot never grow again once it has been.
void keepRoomFor(CaptureEncoder& encoder, const EventFrame& frame) {
    const auto reserve = [&frame](EventFrame& f) {
        f.events.reserve(frame.events.size());
        f.words.reserve(frame.words.size());
        f.texts.reserve(frame.texts.size());
        f.textBytes.reserve(frame.textBytes.size());
        f.slots.reserve(frame.slots.size());
        f.handles.reserve(frame.handles.size());
    };
    for (EventFrame& stored : encoder.history.frames) {
        reserve(stored);
    }
    reserve(encoder.current);
}

} // namespace

bool repeatsAStoredFrame(CaptureEncoder& encoder, std::uint64_t shapeWord) {
    RepeatedFrame& repeated = encoder.repeated;
    if (repeated.active && eventShapeWord(repeated.stored->events[0]) != shapeWord) {
        repeated.active = false;
    }
    if (repeated.active || !encoder.current.events.empty()) {
        return repeated.active;
    }
    // The stored frame the frame most likely repeats: the latest that starts
    // with the same event.
    const std::size_t latest = latestStartingWith(encoder.history, shapeWord);
    if (latest != BaseSlotCount) {
        repeatFrom(repeated, encoder.history, latest);
    }
    return repeated.active;
}

bool noteChangedCall(CaptureEncoder& encoder, const std::uint64_t* args, std::size_t argCount,
                     const std::uint64_t* result, std::size_t resultCount, std::uint32_t pointers) {
    RepeatedFrame& repeated = encoder.repeated;
    if (repeated.changedCount == MaxRepeatCalls) {
        return false;
    }
    const EventFrame& stored = encoder.history.frames[repeated.slot];
    const std::uint64_t* was = stored.words.data() + stored.events[repeated.next].firstWord;
    std::uint64_t* now = repeated.newWords.data() + repeated.newWordCount;
    std::copy_n(args, argCount, now);
    for (std::uint32_t p = pointers; p != 0; p &= p - 1) {
        now[std::countr_zero(p)] = 0;
    }
    std::copy_n(result, resultCount, now + argCount);
    RepeatSite changed{repeated.next, 0, 0};
    for (std::size_t i = 0; i < argCount; ++i) {
        changed.argsChanged |= static_cast<std::uint32_t>(now[i] != was[i]) << i;
    }
    for (std::size_t i = 0; i < resultCount; ++i) {
        changed.resultChanged |= static_cast<std::uint32_t>(now[argCount + i] != was[argCount + i])
                                 << i;
    }
    repeated.changedCalls[repeated.changedCount++] = changed;
    repeated.newWordCount += argCount + resultCount;
    return true;
}

void recordCallThatDiffers(CaptureEncoder& encoder, const NativeCallRecord& call) {
    stopRepeating(encoder);
    addCall(encoder.current, call);
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
    const std::uint64_t* now = repeated.newWords.data();
    for (std::size_t k = 0; k < repeated.next; ++k) {
        copyEvent(current, stored, stored.events[k]);
        if (changed < repeated.changedCount && repeated.changedCalls[changed].event == k) {
            const FrameEvent& event = current.events.back();
            std::copy_n(now, event.argCount + event.resultCount,
                        current.words.begin() + static_cast<std::ptrdiff_t>(event.firstWord));
            now += event.argCount + event.resultCount;
            ++changed;
        }
    }
}

void recordPedsThatDiffer(CaptureEncoder& encoder, std::int32_t capacity,
                          std::span<const std::int32_t> kept, std::int32_t returned) {
    stopRepeating(encoder);
    EventFrame& frame = encoder.current;
    beginPedsAnswer(frame, capacity, returned);
    frame.handles.insert(frame.handles.end(), kept.begin(), kept.end());
    frame.events.back().handleCount = kept.size();
}

void recordWait(CaptureEncoder& encoder, std::uint32_t ms) {
    if (encoder.stopped) {
        return;
    }
    RepeatedFrame& repeated = encoder.repeated;
    FrameHistory& history = encoder.history;
    const FrameEvent* was = nextRepeatedEvent(encoder, WaitShapeWord);
    if (was != nullptr && was->kind == EventKind::Wait && was->waitMs == ms &&
        repeated.next + 1 == history.frames[repeated.slot].events.size()) {
        writeRepeatedFrame(encoder);
        // The next frame is taken to repeat this one too.
        repeatFrom(repeated, history, repeated.slot);
        return;
    }
    stopRepeating(encoder);
    addWait(encoder.current, ms);
    keepRoomFor(encoder, encoder.current);
    writeCompleteFrame(encoder);
    storeFrame(history, encoder.current);
    repeatFrom(repeated, history, history.lastSlot);
}

} // namespace capture
