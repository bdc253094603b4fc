#include "capture/format/event_frame.h"

#include <algorithm>

namespace capture {

void clearFrame(EventFrame& frame) {
    frame.events.clear();
    frame.words.clear();
    frame.texts.clear();
    frame.textBytes.clear();
    frame.slots.clear();
    frame.handles.clear();
}

namespace {

bool sameWords(std::span<const std::uint64_t> a, std::span<const std::uint64_t> b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end());
}

// Whether two calls, each in its own frame, carry the same texts.
bool sameTexts(const EventFrame& a, const FrameEvent& x, const EventFrame& b, const FrameEvent& y) {
    if (x.textCount != y.textCount) {
        return false;
    }
    const auto textsA = textsOf(a, x);
    const auto textsB = textsOf(b, y);
    for (std::size_t i = 0; i < textsA.size(); ++i) {
        if (textsA[i].argIndex != textsB[i].argIndex ||
            textBytesOf(a, textsA[i]) != textBytesOf(b, textsB[i])) {
            return false;
        }
    }
    return true;
}

} // namespace

bool differsInCall(const EventFrame& a, const FrameEvent& x, const EventFrame& b,
                   const FrameEvent& y) {
    if (x.kind != y.kind) {
        return true;
    }
    if (x.kind != EventKind::NativeCall) {
        return false;
    }
    return x.hash != y.hash || !sameWords(argsOf(a, x), argsOf(b, y));
}

bool sameEvent(const EventFrame& a, const FrameEvent& x, const EventFrame& b, const FrameEvent& y) {
    if (x.kind != y.kind) {
        return false;
    }
    switch (x.kind) {
    case EventKind::NativeCall: {
        if (x.hash != y.hash || x.argCount != y.argCount || x.resultCount != y.resultCount ||
            x.textCount != y.textCount || x.slotCount != y.slotCount) {
            return false;
        }
        const auto slotsA = slotsOf(a, x);
        return sameWords({a.words.data() + x.firstWord, x.argCount + x.resultCount},
                         {b.words.data() + y.firstWord, y.argCount + y.resultCount}) &&
               std::equal(slotsA.begin(), slotsA.end(), slotsOf(b, y).begin()) &&
               sameTexts(a, x, b, y);
    }
    case EventKind::PedsAnswer: {
        const auto handlesA = handlesOf(a, x);
        const auto handlesB = handlesOf(b, y);
        return x.pedsCapacity == y.pedsCapacity && x.pedsReturned == y.pedsReturned &&
               std::equal(handlesA.begin(), handlesA.end(), handlesB.begin(), handlesB.end());
    }
    case EventKind::Wait:
        return x.waitMs == y.waitMs;
    }
    return false;
}

FrameEvent& beginNativeCall(EventFrame& frame, std::uint64_t hash) {
    FrameEvent& event = frame.events.emplace_back();
    event.kind = EventKind::NativeCall;
    event.hash = hash;
    event.firstWord = frame.words.size();
    event.firstText = frame.texts.size();
    event.firstSlot = frame.slots.size();
    return event;
}

// Arguments come before result words: all of them are added first.
void addArg(EventFrame& frame, std::uint64_t word) {
    frame.words.push_back(word);
    ++frame.events.back().argCount;
}

void addResultWord(EventFrame& frame, std::uint64_t word) {
    frame.words.push_back(word);
    ++frame.events.back().resultCount;
}

void addText(EventFrame& frame, std::uint32_t argIndex, std::string_view bytes) {
    frame.texts.push_back({argIndex, frame.textBytes.size(), bytes.size()});
    frame.textBytes.insert(frame.textBytes.end(), bytes.begin(), bytes.end());
    ++frame.events.back().textCount;
}

void addSlot(EventFrame& frame, SlotEntry slot) {
    frame.slots.push_back(slot);
    ++frame.events.back().slotCount;
}

FrameEvent& beginPedsAnswer(EventFrame& frame, std::int32_t capacity, std::int32_t returned) {
    FrameEvent& event = frame.events.emplace_back();
    event.kind = EventKind::PedsAnswer;
    event.pedsCapacity = capacity;
    event.pedsReturned = returned;
    event.firstHandle = frame.handles.size();
    return event;
}

void addHandle(EventFrame& frame, std::int32_t handle) {
    frame.handles.push_back(handle);
    ++frame.events.back().handleCount;
}

void addWait(EventFrame& frame, std::uint32_t ms) {
    FrameEvent& event = frame.events.emplace_back();
    event.kind = EventKind::Wait;
    event.waitMs = ms;
}

void copyEvent(EventFrame& to, const EventFrame& from, const FrameEvent& event) {
    switch (event.kind) {
    case EventKind::NativeCall: {
        beginNativeCall(to, event.hash);
        for (std::uint64_t word : argsOf(from, event)) {
            addArg(to, word);
        }
        for (std::uint64_t word : resultOf(from, event)) {
            addResultWord(to, word);
        }
        for (const TextEntry& text : textsOf(from, event)) {
            addText(to, text.argIndex, textBytesOf(from, text));
        }
        for (const SlotEntry& slot : slotsOf(from, event)) {
            addSlot(to, slot);
        }
        break;
    }
    case EventKind::PedsAnswer: {
        beginPedsAnswer(to, event.pedsCapacity, event.pedsReturned);
        const auto handles = handlesOf(from, event);
        to.handles.insert(to.handles.end(), handles.begin(), handles.end());
        to.events.back().handleCount = handles.size();
        break;
    }
    case EventKind::Wait:
        addWait(to, event.waitMs);
        break;
    }
}

} // namespace capture
