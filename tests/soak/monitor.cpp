#include "soak/monitor.h"

#include "deferred/deferred_actions.h"
#include "plugin/natives.h"
#include "settings/settings.h"
#include "sim/host.h"
#include "sim/world/scene.h"
#include "sim/world/world.h"
#include "soak/body_oracle.h"
#include "support/counting_allocator.h"

#include <utility>

namespace soak {

namespace {

using natives::GameTimer;

bool isTransition(DragPhase from, DragPhase to) {
    using enum DragPhase;
    return (from == Idle && to == PickingUp) || (from == PickingUp && to == Dragging) ||
           (from == PickingUp && to == Idle) || (from == Dragging && to == Idle) ||
           (from == Dragging && to == PuttingDown) || (from == PuttingDown && to == Idle);
}

std::size_t queued() {
    return DeferredActions.main.size() + DeferredActions.pending.size();
}

std::string describe(std::int32_t handle) {
    return std::to_string(handle);
}

} // namespace

void Monitor::install() {
    sim::host().recordCalls = false;
    sim::host().onCall = [this](const sim::NativeCall& call) { onCall(call); };
}

void Monitor::fail(std::string message) {
    if (failures_.size() < 20) {
        failures_.push_back(std::move(message));
    }
}

void Monitor::noteDeleted(std::int32_t handle) {
    deletedBefore_[handle] = sim::host().frame + 1;
}

void Monitor::beginFrame() {
    pendingAtFrameStart_ = !DeferredActions.pending.empty();
    allocationsAtFrameStart_ = alloc_count::pluginAllocations();
    if (!waiting_) {
        iterationOpen_ = false; // the coming frame starts a new iteration
    }
}

// hash: the native in which the change was seen; 0 at the end of a frame.
void Monitor::sample(std::uint64_t hash) {
    const DragPhase now = DragState.state;
    if (now == sampled_) {
        return;
    }
    if (!isTransition(sampled_, now)) {
        fail(std::string("the state went from ") + phaseName(sampled_) + " to " + phaseName(now) +
             " (seen " + (hash != 0 ? "in native " + sim::hex(hash) : "at the end of the frame") +
             ")");
    }
    using enum DragPhase;
    if (sampled_ == Idle && now == PickingUp) {
        pickupStarted_ = true;
        ++stats_.pickupsStarted;
    } else if (sampled_ == Dragging && now == PuttingDown) {
        putdownStarted_ = true;
        ++stats_.putdownsStarted;
    } else if (sampled_ == PickingUp && now == Dragging) {
        ++stats_.dragsHeld;
    } else if (sampled_ == PuttingDown && now == Idle) {
        ++stats_.dragsCompleted;
    }
    sampled_ = now;
}

// Idle means no target and the rest grip bones; every other state has a
// target. At most one prompt and one deferred action exist at any time.
void Monitor::checkRecord(const char* where) {
    const auto& d = DragState;
    if (d.state == DragPhase::Idle) {
        if (d.target != 0 || d.gripBoneA != RestGripBoneA || d.gripBoneB != RestGripBoneB ||
            d.grabPoint != 0 || d.dragEntered || d.oneHanded) {
            fail(std::string("Idle with target ") + describe(d.target) + ", grip bones " +
                 std::to_string(d.gripBoneA) + "/" + std::to_string(d.gripBoneB) + ", grab point " +
                 std::to_string(d.grabPoint) + " (seen " + where + ")");
        }
    } else if (d.target == 0) {
        fail(std::string(phaseName(d.state)) + " without a target (seen " + where + ")");
    }
    if (queued() > 1) {
        fail(std::to_string(queued()) + " deferred actions outstanding (seen " + where + ")");
    }
    if (sim::promptCount() > 1) {
        fail(std::to_string(sim::promptCount()) + " prompts in the world (seen " + where + ")");
    }
}

// A native other than "entity exists" may be given a deleted handle only when
// the ped was deleted while this iteration waited for a dictionary.
void Monitor::checkHandleUses() {
    const auto& uses = sim::world().deletedHandleUses;
    for (; handleUsesSeen_ < uses.size(); ++handleUsesSeen_) {
        const sim::StaleUse& use = uses[handleUsesSeen_];
        const auto found = deletedBefore_.find(use.handle);
        if (found == deletedBefore_.end()) {
            fail("native " + sim::hex(use.hash) + " was given handle " + describe(use.handle) +
                 ", which names no ped deleted in this run's recent frames");
        } else if (found->second <= iterationStartFrame_) {
            fail("native " + sim::hex(use.hash) + " was given handle " + describe(use.handle) +
                 ", deleted before frame " + std::to_string(found->second) +
                 "; this iteration began in frame " + std::to_string(iterationStartFrame_));
        }
    }
    const auto& promptUses = sim::world().stalePromptUses;
    for (; promptUsesSeen_ < promptUses.size(); ++promptUsesSeen_) {
        fail("native " + sim::hex(promptUses[promptUsesSeen_].hash) + " was given prompt " +
             std::to_string(promptUses[promptUsesSeen_].prompt) + ", which no longer exists");
    }
}

void Monitor::startIteration() {
    iterationOpen_ = true;
    ++iteration_;
    ++stats_.iterations;
    iterationStartFrame_ = sim::host().frame;
    atIterationStart_ = DragState.state;
    pickupStarted_ = false;
    putdownStarted_ = false;
    sawTimer_ = false;
    sawDragStep_ = false;
    mustEnd_.clear();
}

void Monitor::onCall(const sim::NativeCall& call) {
    if (!iterationOpen_) {
        startIteration();
    }
    sample(call.hash);
    checkRecord("at a native call");
    if (call.hash == GameTimer) {
        const auto now = static_cast<std::int32_t>(call.result.words[0]);
        if (!sawTimer_) {
            firstTimer_ = now;
            sawTimer_ = true;
        }
        lastTimer_ = now;
    }
    if (call.hash == natives::PlayerPed && !sawDragStep_) {
        sawDragStep_ = true;
        dragStep();
    }
    checkHandleUses();
    lastHash_ = call.hash;
    lastAnswer_ = call.result.words[0];
}

// The start of ProcessDragging: the deferred actions of this iteration have
// run. Checks that the follow-up ran exactly when the queue's rules say (first
// examined two iterations after it was scheduled, then run once the timer,
// compared as signed 32-bit numbers, reaches its due time), and works out
// what ProcessDragging must do with the world as it stands.
void Monitor::dragStep() {
    using enum DragPhase;
    if (!sawTimer_) {
        fail("the drag step ran before the deferred actions read the timer");
    }
    const DragPhase before = atIterationStart_;
    const DragPhase now = DragState.state;
    const bool fires =
        followUp_.active && iteration_ >= followUp_.iteration + 2 && firstTimer_ >= followUp_.due;
    if ((before == PickingUp || before == PuttingDown) && !followUp_.active) {
        fail(std::string(phaseName(before)) + " with no follow-up action outstanding");
    }
    DragPhase expected = before;
    if (before == PickingUp && fires) {
        expected = Dragging;
    } else if (before == PuttingDown && fires) {
        expected = Idle;
    }
    if (now != expected) {
        fail(std::string("after the deferred actions the state is ") + phaseName(now) +
             ", expected " + phaseName(expected) + " (timer " + std::to_string(firstTimer_) +
             ", follow-up due " + std::to_string(followUp_.due) + ", scheduled in iteration " +
             std::to_string(followUp_.iteration) + ", this is " + std::to_string(iteration_) + ")");
    }
    if (fires) {
        followUp_.active = false;
        stats_.followUpsAcrossWrap += followUp_.acrossWrap ? 1 : 0;
    }

    atDragStep_ = now;
    mustEnd_.clear();
    if (now == PickingUp || now == Dragging) {
        const sim::Ped& player = sim::playerPed();
        if (const char* guard = playerGuardFiring(); *guard != '\0') {
            mustEnd_ = guard;
        } else if (sim::isLimp(player)) {
            mustEnd_ = "player limp";
        } else if (sim::livePed(DragState.target) == nullptr) {
            mustEnd_ = "body gone";
        }
        if (mustEnd_.empty() && now == Dragging) {
            ++draggingIterations_;
        }
    }
    if (now == Idle) {
        playerBlocked_ = playerBlocked();
        expectedBody_ = playerBlocked_ ? 0 : expectedBody(Settings.DetectionRadius);
    }
}

void Monitor::endIteration() {
    using enum DragPhase;
    const DragPhase end = DragState.state;
    if (!sawDragStep_) {
        fail("an iteration ended without running the drag step");
        return;
    }

    // What ProcessDragging had to do with the state it found.
    if (atDragStep_ == PickingUp || atDragStep_ == Dragging) {
        if (!mustEnd_.empty()) {
            if (end != Idle) {
                fail("the drag went on in " + std::string(phaseName(end)) + " although " +
                     mustEnd_);
            }
            ++stats_.endings[mustEnd_ + " while " + phaseName(atDragStep_)];
        } else if (end == Idle || (atDragStep_ == PickingUp && end != PickingUp)) {
            fail(std::string("the drag left ") + phaseName(atDragStep_) + " for " + phaseName(end) +
                 " with no reason to");
        }
    } else if (atDragStep_ == PuttingDown && end != PuttingDown) {
        fail(std::string("the put-down was cut short: ") + phaseName(end));
    }
    if (pickupStarted_ && end == PickingUp) {
        if (playerBlocked_) {
            fail("a pick-up started while the player was mounted, in a vehicle or carrying");
        }
        if (DragState.target != expectedBody_) {
            fail("picked up " + describe(DragState.target) + ", but the nearest body was " +
                 describe(expectedBody_));
        }
    }

    // The follow-up a start must leave outstanding, due at the timer that
    // scheduleAction read (the last read of the iteration) plus the duration.
    if (end == Idle) {
        followUp_.active = false;
    }
    if ((pickupStarted_ && end == PickingUp) || (putdownStarted_ && end == PuttingDown)) {
        const std::int32_t duration =
            end == PickingUp ? Settings.PickupAnimDuration : Settings.PutdownAnimDuration;
        const auto due = static_cast<std::int32_t>(static_cast<std::uint32_t>(lastTimer_) +
                                                   static_cast<std::uint32_t>(duration));
        followUp_ = {true, iteration_, due, (lastTimer_ < 0) != (due < 0)};
        if (DeferredActions.pending.size() != 1 || DeferredActions.pending[0].due != due) {
            fail("the start scheduled no follow-up due at " + std::to_string(due));
        }
    }
    if (queued() != (followUp_.active ? 1u : 0u)) {
        fail(std::to_string(queued()) + " deferred actions outstanding in " + phaseName(end) +
             ", expected " + (followUp_.active ? "1" : "0"));
    }
    if (end != Dragging) {
        draggingIterations_ = 0;
    }
    checkPrompts();
}

// One prompt stands only in Idle, on the body found in this iteration, and in
// Dragging from the second dragging iteration on, on the target.
void Monitor::checkPrompts() {
    using enum DragPhase;
    const DragPhase end = DragState.state;
    const auto prompts = sim::prompts();
    std::size_t expectedCount = 0;
    if (end == Idle && atDragStep_ == Idle && expectedBody_ != 0) {
        expectedCount = 1;
    } else if (end == Dragging && draggingIterations_ >= 2) {
        expectedCount = 1;
    }
    if (prompts.size() != expectedCount) {
        fail(std::to_string(prompts.size()) + " prompts at the end of an iteration in " +
             phaseName(end) + ", expected " + std::to_string(expectedCount) +
             " (dragging iteration " + std::to_string(draggingIterations_) + ", nearest body " +
             describe(expectedBody_) + ")");
        return;
    }
    if (expectedCount == 0) {
        return;
    }
    const sim::PromptView& prompt = prompts.front();
    const bool idle = end == Idle;
    const std::int32_t entity = idle ? expectedBody_ : DragState.target;
    const std::string& label = idle ? Settings.DragText : Settings.DropText;
    const bool targetLeftDuringWait = !idle && sim::livePed(entity) == nullptr;
    if (prompt.entity != entity && !targetLeftDuringWait) {
        fail("the prompt stands on " + describe(prompt.entity) + ", expected " + describe(entity));
    }
    if (prompt.label != label || prompt.handle != DragState.prompt || !DragState.promptActive) {
        fail("the prompt " + std::to_string(prompt.handle) + " reads \"" + prompt.label +
             "\", expected \"" + label + "\" on the plugin's prompt " +
             std::to_string(DragState.prompt));
    }
    ++(idle ? stats_.promptFramesIdle : stats_.promptFramesDragging);
}

void Monitor::endFrame() {
    sample(0);
    checkRecord("at the end of the frame");
    checkHandleUses();

    const auto& errors = sim::host().errors;
    for (; hostErrorsSeen_ < errors.size(); ++hostErrorsSeen_) {
        fail("host: " + errors[hostErrorsSeen_]);
    }

    // Nothing is allocated per frame; a start schedules a follow-up (the
    // pending list may grow) and the next pass moves it to the main list.
    const std::size_t allocations = alloc_count::pluginAllocations() - allocationsAtFrameStart_;
    const bool queueMoved = pendingAtFrameStart_ || !DeferredActions.pending.empty();
    if (allocations != 0 && !queueMoved && !settingsLoadFrame_) {
        fail(std::to_string(allocations) + " heap allocations by the plugin in a frame");
    }
    settingsLoadFrame_ = false;

    waiting_ = lastHash_ == natives::AnimDictLoaded && lastAnswer_ == 0;
    if (waiting_) {
        ++stats_.waitFrames;
        if (DragState.state != DragPhase::Dragging && sim::promptCount() != 0) {
            fail(std::string("a prompt stands during the dictionary wait in ") +
                 phaseName(DragState.state));
        }
    } else if (iterationOpen_) {
        endIteration();
    } else {
        fail("a frame without a single native call");
    }
    lastHash_ = 0;

    ++stats_.frames;
    ++stats_.framesInState[static_cast<std::size_t>(DragState.state)];
    const auto timer = static_cast<std::int32_t>(sim::world().gameTimeMs);
    stats_.signedWrapsCrossed += (lastFrameTimer_ >= 0 && timer < 0) ? 1 : 0;
    lastFrameTimer_ = timer;
    stats_.largestPedList =
        std::max<std::int64_t>(stats_.largestPedList, std::ssize(sim::world().listed));
}

} // namespace soak
