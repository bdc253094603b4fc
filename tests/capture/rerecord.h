// A read event recorded into an encoder again, as the seam would record it:
// for the round trips of the tests and the capture reader's fuzz target.
#pragma once

#include "capture/format/reader/capture_reader.h"
#include "capture/format/writer/capture_encoder.h"

#include <variant>
#include <vector>

namespace capture_test {

inline void recordEventAgain(capture::CaptureEncoder& encoder,
                             const capture::CapturedEvent& event) {
    if (const auto* call = std::get_if<capture::CapturedCall>(&event)) {
        std::vector<capture::TextArg> texts;
        std::vector<capture::SlotEntry> slots;
        for (const auto& text : call->texts) {
            texts.push_back({text.argIndex, text.bytes});
        }
        for (const auto& slot : call->slots) {
            slots.push_back({slot.argIndex, slot.value});
        }
        capture::recordNativeCall(encoder, {call->hash, call->args, texts, slots, call->result});
    } else if (const auto* peds = std::get_if<capture::CapturedPeds>(&event)) {
        capture::recordPedsAnswer(encoder, peds->capacity, peds->handles, peds->returned);
    } else {
        capture::recordWait(encoder, std::get<capture::CapturedWait>(event).ms);
    }
}

} // namespace capture_test
