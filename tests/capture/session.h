// Recording a synthetic session: each event goes to the encoder and, built
// here from the same inputs, to the frames the reader must give back (words
// at text and slot indices read as 0). The flushed bytes make the file.
#pragma once

#include "capture/format/reader/capture_reader.h"
#include "capture/format/writer/capture_encoder.h"
#include "capture/rerecord.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace capture_test {

struct Call {
    std::uint64_t hash = 0;
    std::vector<std::uint64_t> args;
    std::vector<std::pair<std::uint32_t, std::string>> texts;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> slots;
    std::vector<std::uint64_t> result;
};

struct Session {
    capture::CaptureEncoder encoder;
    std::vector<std::uint8_t> file;
    std::vector<std::size_t> flushEnds;         // file size after each flush
    std::vector<capture::CapturedFrame> frames; // as the reader must give them
    bool frameOpen = false;
};

inline capture::CapturedFrame& openFrame(Session& s) {
    if (!s.frameOpen) {
        s.frames.emplace_back();
        s.frameOpen = true;
    }
    return s.frames.back();
}

inline void begin(Session& s, std::string_view build = "test build") {
    capture::beginCapture(s.encoder, "0.1.0", build);
}

inline void call(Session& s, const Call& c) {
    std::vector<capture::TextArg> texts;
    std::vector<capture::SlotEntry> slots;
    capture::CapturedCall expected{c.hash, c.args, {}, {}, c.result};
    for (const auto& [index, bytes] : c.texts) {
        texts.push_back({index, bytes});
        expected.texts.push_back({index, bytes});
        expected.args[index] = 0;
    }
    for (const auto& [index, value] : c.slots) {
        slots.push_back({index, value});
        expected.slots.push_back({index, value});
        expected.args[index] = 0;
    }
    capture::recordNativeCall(s.encoder, {c.hash, c.args, texts, slots, c.result});
    openFrame(s).events.emplace_back(std::move(expected));
}

inline void peds(Session& s, const std::vector<std::int32_t>& handles, std::int32_t returned) {
    capture::recordPedsAnswer(s.encoder, 1024, handles, returned);
    openFrame(s).events.emplace_back(capture::CapturedPeds{1024, handles, returned});
}

inline void wait(Session& s, std::uint32_t ms = 0) {
    capture::recordWait(s.encoder, ms);
    openFrame(s).events.emplace_back(capture::CapturedWait{ms});
    s.frameOpen = false;
}

inline void append(Session& s, std::span<const std::uint8_t> bytes) {
    s.file.insert(s.file.end(), bytes.begin(), bytes.end());
    s.flushEnds.push_back(s.file.size());
}

inline void flush(Session& s) {
    append(s, capture::flushCapture(s.encoder));
}

inline capture::CaptureReadResult read(const std::vector<std::uint8_t>& bytes) {
    return capture::readCapture(bytes);
}

// Records read frames into an encoder again.
inline void recordFrame(capture::CaptureEncoder& encoder, const capture::CapturedFrame& frame) {
    for (const capture::CapturedEvent& event : frame.events) {
        recordEventAgain(encoder, event);
    }
}

// Names the first frame and event that differ.
inline ::testing::AssertionResult sameFrames(const std::vector<capture::CapturedFrame>& actual,
                                             const std::vector<capture::CapturedFrame>& expected) {
    for (std::size_t f = 0; f < std::min(actual.size(), expected.size()); ++f) {
        const auto& a = actual[f].events;
        const auto& e = expected[f].events;
        for (std::size_t i = 0; i < std::min(a.size(), e.size()); ++i) {
            if (a[i] != e[i]) {
                return ::testing::AssertionFailure() << "frame " << f << " event " << i;
            }
        }
        if (a.size() != e.size()) {
            return ::testing::AssertionFailure() << "frame " << f << ": " << a.size() << " events";
        }
    }
    if (actual.size() != expected.size()) {
        return ::testing::AssertionFailure() << actual.size() << " frames";
    }
    return ::testing::AssertionSuccess();
}

} // namespace capture_test
