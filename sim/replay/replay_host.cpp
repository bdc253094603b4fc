#include "sim/replay/replay_host.h"

#include "capture/layer/live_text.h"
#include "capture/layer/native_kinds.h"
#include "sim/host.h"
#include "sim/world/native_table.h"

#include <charconv>
#include <cstring>
#include <type_traits>
#include <utility>

namespace sim {

namespace {

constexpr std::size_t MaxTextShown = 200;

std::string floatText(std::uint64_t word) {
    const auto bits = static_cast<std::uint32_t>(word);
    float value = 0.0f;
    std::memcpy(&value, &bits, sizeof value);
    char text[32] = {};
    std::to_chars(text, text + sizeof text - 1, value);
    return text;
}

std::string wordText(WordKind kind, std::uint64_t word) {
    switch (kind) {
    case WordKind::Entity:
    case WordKind::Int32:
    case WordKind::Prompt:
    case WordKind::Bool:
        return std::to_string(static_cast<std::int32_t>(word));
    case WordKind::Float:
        return floatText(word);
    default:
        return hex(word);
    }
}

std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size() && i < MaxTextShown; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c > 0x7E || c == '"' || c == '\\') {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + (text.size() > MaxTextShown ? "...\"" : "\"");
}

std::string describeCall(const capture::CapturedCall& call, bool withResult) {
    const NativeKinds* kinds = findNativeKinds(call.hash);
    const WorldNative* native = findWorldNative(call.hash);
    std::string text = native != nullptr ? std::string(native->role) : "native " + hex(call.hash);
    text += "(";
    for (std::size_t i = 0; i < call.args.size(); ++i) {
        if (i > 0) {
            text += ", ";
        }
        const WordKind kind = kinds != nullptr && i < kinds->args.size() ? wordKind(kinds->args[i])
                                                                         : WordKind::Unknown;
        std::string shown;
        for (const auto& t : call.texts) {
            if (t.argIndex == i) {
                shown = quoted(t.bytes);
            }
        }
        for (const auto& s : call.slots) {
            if (s.argIndex == i) {
                const WordKind written =
                    kind == WordKind::FloatSlot ? WordKind::Float : WordKind::Int32;
                shown = "&" + (withResult ? wordText(written, s.value) : "");
            }
        }
        text += shown.empty() ? wordText(kind, call.args[i]) : shown;
    }
    text += ")";
    if (withResult && !call.result.empty()) {
        const WordKind kind = kinds != nullptr ? wordKind(kinds->result) : WordKind::Unknown;
        if (kind == WordKind::Vector && call.result.size() == 3) {
            text += " -> (" + floatText(call.result[0]) + ", " + floatText(call.result[1]) + ", " +
                    floatText(call.result[2]) + ")";
        } else {
            text += " -> " + wordText(kind, call.result[0]);
        }
    }
    return text + " [" + hex(call.hash) + "]";
}

// The call the plugin makes now, in the form the capture keeps: texts by
// their content and the words of texts and slots as 0.
capture::CapturedCall callMadeNow(std::uint64_t hash, const NativeArgs& args) {
    capture::CapturedCall call;
    call.hash = hash;
    const NativeKinds* kinds = findNativeKinds(hash);
    for (std::size_t i = 0; i < args.count; ++i) {
        std::uint64_t word = args.word(i);
        const char kind = kinds != nullptr && i < kinds->args.size() ? kinds->args[i] : 'x';
        if (isTextArg(kind) && word != 0) {
            call.texts.push_back(
                {static_cast<std::uint32_t>(i), std::string(capture::liveText(args.text(i)))});
            word = 0;
        } else if (isSlotArg(kind) && word != 0) {
            call.slots.push_back({static_cast<std::uint32_t>(i), 0});
            word = 0;
        }
        call.args.push_back(word);
    }
    return call;
}

bool sameCall(const capture::CapturedCall& now, const capture::CapturedCall& recorded) {
    if (now.hash != recorded.hash || now.args != recorded.args || now.texts != recorded.texts ||
        now.slots.size() != recorded.slots.size()) {
        return false;
    }
    for (std::size_t i = 0; i < now.slots.size(); ++i) {
        if (now.slots[i].argIndex != recorded.slots[i].argIndex) {
            return false;
        }
    }
    return true;
}

const capture::CapturedEvent* nextEvent(const ReplayState& state) {
    return state.next < state.frame.events.size() ? &state.frame.events[state.next] : nullptr;
}

void noteDifference(ReplayState& state, std::string now) {
    if (state.difference) {
        return;
    }
    if (nextEvent(state) == nullptr && !state.frameHasWait) {
        // The capture ended inside this frame: what the plugin does after
        // the recording's last event is no difference.
        state.recordingEnded = true;
        return;
    }
    const capture::CapturedEvent* recorded = nextEvent(state);
    ReplayDifference difference;
    difference.frame = host().frame;
    difference.callInFrame = state.next + 1;
    difference.recorded =
        recorded != nullptr ? describeEvent(*recorded) : "nothing: the recording ends here";
    difference.now = std::move(now);
    for (const MatchedEvent& before : state.recent) {
        difference.before.push_back("frame " + std::to_string(before.frame) + ", event " +
                                    std::to_string(before.placeInFrame) + ": " +
                                    describeEvent(before.event));
    }
    state.difference = std::move(difference);
}

void matched(ReplayState& state) {
    // Decoded only if a difference comes: most replays have none.
    state.recent.push_back({host().frame, state.next + 1, state.frame.events[state.next]});
    if (state.recent.size() > ReplayContextEvents) {
        state.recent.pop_front();
    }
    ++state.next;
    ++state.eventsMatched;
}

void answerCall(ReplayState& state, std::uint64_t hash, const NativeArgs& args,
                NativeResult& result) {
    if (state.difference || state.recordingEnded) {
        return;
    }
    const capture::CapturedCall now = callMadeNow(hash, args);
    const capture::CapturedEvent* event = nextEvent(state);
    const auto* recorded = event != nullptr ? std::get_if<capture::CapturedCall>(event) : nullptr;
    if (recorded == nullptr || !sameCall(now, *recorded)) {
        noteDifference(state, describeCall(now, false));
        return;
    }
    for (std::size_t i = 0; i < recorded->result.size() && i < result.words.size(); ++i) {
        result.words[i] = recorded->result[i];
    }
    for (const auto& slot : recorded->slots) {
        if (auto* target = args.slot<std::uint32_t>(slot.argIndex)) {
            std::memcpy(target, &slot.value, sizeof slot.value);
        }
    }
    matched(state);
}

int answerPeds(ReplayState& state, int* array, int arraySize) {
    if (state.difference || state.recordingEnded) {
        return 0;
    }
    const capture::CapturedEvent* event = nextEvent(state);
    const auto* recorded = event != nullptr ? std::get_if<capture::CapturedPeds>(event) : nullptr;
    const std::string now = "ped list(room for " + std::to_string(arraySize) + ")";
    if (recorded == nullptr || recorded->capacity != arraySize) {
        noteDifference(state, now);
        return 0;
    }
    const std::size_t room = arraySize > 0 ? static_cast<std::size_t>(arraySize) : 0;
    for (std::size_t i = 0; i < recorded->handles.size() && i < room; ++i) {
        array[i] = recorded->handles[i];
    }
    const int returned = recorded->returned;
    matched(state);
    return returned;
}

} // namespace

std::string describeEvent(const capture::CapturedEvent& event) {
    if (const auto* call = std::get_if<capture::CapturedCall>(&event)) {
        return describeCall(*call, true);
    }
    if (const auto* peds = std::get_if<capture::CapturedPeds>(&event)) {
        std::string text = "ped list(room for " + std::to_string(peds->capacity) + ") -> " +
                           std::to_string(peds->returned);
        if (!peds->handles.empty()) {
            text += " [";
            for (std::size_t i = 0; i < peds->handles.size() && i < 8; ++i) {
                text += (i > 0 ? ", " : "") + std::to_string(peds->handles[i]);
            }
            text += peds->handles.size() > 8 ? ", ...]" : "]";
        }
        return text;
    }
    return "wait(" + std::to_string(std::get<capture::CapturedWait>(event).ms) + ")";
}

void installReplayHost(ReplayState& state) {
    Host& h = host();
    h.answerEvery = [&state](std::uint64_t hash, const NativeArgs& args, NativeResult& result) {
        answerCall(state, hash, args, result);
    };
    h.listPeds = [&state](int* array, int arraySize) {
        return answerPeds(state, array, arraySize);
    };
}

bool replayFrame(ReplayState& state, capture::CapturedFrame frame) {
    state.frame = std::move(frame);
    state.next = 0;
    state.frameHasWait = !state.frame.events.empty() &&
                         std::holds_alternative<capture::CapturedWait>(state.frame.events.back());
    runFrame();
    if (state.difference) {
        return false;
    }
    // The plugin waits here. A capture that ended inside a frame has no wait
    // to match, and nothing follows.
    const capture::CapturedEvent* event = nextEvent(state);
    if (event == nullptr) {
        return true;
    }
    if (!std::holds_alternative<capture::CapturedWait>(*event)) {
        noteDifference(state, "wait(0)");
        return false;
    }
    matched(state);
    return true;
}

} // namespace sim
