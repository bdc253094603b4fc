// The plugin's frame loop in the stand-in world with a body at the player's
// feet, and the steps that bring a drag to each of its states.
#pragma once

#include "drag/drag_state.h"
#include "plugin/natives.h"
#include "settings/control_hash.h"
#include "support/plugin_in_world.h"

#include <functional>
#include <vector>

using natives::PromptHoldCompleted;

class DragFixture : public PluginInWorldTest {
  protected:
    std::int32_t body = 0;
    std::vector<DragPhase> states; // the state after each frame, from frame 1

    void SetUp() override {
        PluginInWorldTest::SetUp();
        body = sim::addBody({0.0f, 1.5f, 0.0f});
    }

    std::int64_t frame() const { return sim::host().frame; }
    std::int32_t player() const { return sim::world().player; }

    void step(int count = 1) {
        for (int i = 0; i < count; ++i) {
            sim::runFrame();
            states.push_back(DragState.state);
        }
    }

    // Runs frames until the condition holds after a frame; false if it never
    // does within the limit.
    bool stepUntil(const std::function<bool()>& condition, int limit = 400) {
        for (int i = 0; i < limit; ++i) {
            step();
            if (condition()) {
                return true;
            }
        }
        return false;
    }

    bool inState(DragPhase phase) const { return DragState.state == phase; }

    void holdPromptControl() { sim::holdControl(Settings.DragInput); }
    void releasePromptControl() { sim::releaseControl(Settings.DragInput); }

    // From Idle to the frame in which the pick-up starts; the control is let go.
    void pickUp() {
        holdPromptControl();
        ASSERT_TRUE(stepUntil([this] { return !inState(DragPhase::Idle); }));
        releasePromptControl();
    }

    // Through the pick-up to the second dragging frame.
    void startDragging() {
        pickUp();
        ASSERT_TRUE(stepUntil([this] { return inState(DragPhase::Dragging); }));
        step();
    }

    // Frames (from 1) at which the recorded state changed, with the new state.
    std::vector<std::pair<std::int64_t, DragPhase>> stateChanges() const {
        std::vector<std::pair<std::int64_t, DragPhase>> changes;
        DragPhase last = DragPhase::Idle;
        for (std::size_t i = 0; i < states.size(); ++i) {
            if (states[i] != last) {
                changes.emplace_back(static_cast<std::int64_t>(i) + 1, states[i]);
                last = states[i];
            }
        }
        return changes;
    }

    // The first frame in which the prompt's hold was reported complete.
    std::int64_t firstHoldCompletedFrame(std::int64_t from = 0) const {
        for (const auto& call : sim::host().calls) {
            if (call.frame >= from && call.hash == PromptHoldCompleted &&
                call.result.words[0] != 0) {
                return call.frame;
            }
        }
        return -1;
    }

    std::size_t callsInFrame(std::uint64_t hash, std::int64_t inFrame) const {
        std::size_t n = 0;
        for (const auto& call : sim::host().calls) {
            n += call.frame == inFrame && call.hash == hash ? 1u : 0u;
        }
        return n;
    }
};
