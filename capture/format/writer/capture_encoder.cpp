#include "capture/format/writer/capture_encoder.h"

#include <algorithm>
#include <bit>
#include <utility>

namespace capture {

namespace {

// The current frame, empty, is taken to repeat the frame before.
void repeatLastFrame(CaptureEncoder& encoder) {
    RepeatedFrame& repeated = encoder.repeated;
    repeated.active = !encoder.last.events.empty();
    repeated.eventCount = encoder.last.events.size();
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

// The frame before keeps room for the largest frame seen, so that the two
// frames' buffers, swapped at each wait, never grow again once it has been.
void keepRoomFor(EventFrame& last, const EventFrame& frame) {
    last.events.reserve(frame.events.size());
    last.words.reserve(frame.words.size());
    last.texts.reserve(frame.texts.size());
    last.textBytes.reserve(frame.textBytes.size());
    last.slots.reserve(frame.slots.size());
    last.handles.reserve(frame.handles.size());
}

} // namespace

bool noteChangedCall(CaptureEncoder& encoder, const std::uint64_t* args, std::size_t argCount,
                     const std::uint64_t* result, std::size_t resultCount, std::uint32_t pointers) {
    RepeatedFrame& repeated = encoder.repeated;
    if (repeated.changedCount == MaxRepeatCalls) {
        return false;
    }
    const EventFrame& last = encoder.last;
    const std::uint64_t* was = last.words.data() + last.events[repeated.next].firstWord;
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
    const EventFrame& last = encoder.last;
    EventFrame& current = encoder.current;
    std::size_t changed = 0;
    const std::uint64_t* now = repeated.newWords.data();
    for (std::size_t k = 0; k < repeated.next; ++k) {
        copyEvent(current, last, last.events[k]);
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
    const FrameEvent* was = nextRepeatedEvent(encoder, WaitShapeWord);
    if (was != nullptr && was->kind == EventKind::Wait && was->waitMs == ms &&
        encoder.repeated.next + 1 == encoder.last.events.size()) {
        writeRepeatedFrame(encoder);
    } else {
        stopRepeating(encoder);
        addWait(encoder.current, ms);
        keepRoomFor(encoder.last, encoder.current);
        writeCompleteFrame(encoder);
        std::swap(encoder.last, encoder.current);
        clearFrame(encoder.current);
    }
    // The next frame is taken to repeat this one.
    repeatLastFrame(encoder);
}

} // namespace capture
