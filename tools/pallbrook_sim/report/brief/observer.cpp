#include "report/brief/observer.h"

#include "printing/format.h"
#include "printing/names.h"

#include "drag/drag_assets.h"
#include "plugin/natives.h"
#include "sim/world/prompts.h"
#include "sim/world/world.h"

#include <cmath>

namespace simtool {

namespace {

namespace n = natives;

constexpr const char* GrabPointNames[4] = {"feet", "hands", "left hand and foot",
                                           "right hand and foot"};

std::string place(const sim::Vec3& p) {
    return "(" + fixed(p.x, 2) + ", " + fixed(p.y, 2) + ", " + fixed(p.z, 2) + ")";
}

// The result's three floats (a float result is the first).
sim::Vec3 vectorResult(const sim::NativeResult& result) {
    return {result.f32(0), result.f32(1), result.f32(2)};
}

std::string text(const sim::NativeArgs& args, std::size_t i) {
    const char* t = args.text(i);
    return t != nullptr ? t : "";
}

// Why a guard test of the player ends a drag, when its answer makes it fire.
std::optional<std::string> guardReason(const sim::NativeCall& call) {
    const std::int32_t answer = call.result.i32();
    const bool fires = call.hash == n::PlayerConditionValue ? answer == 1 : answer != 0;
    if (!fires) {
        return std::nullopt;
    }
    switch (call.hash) {
    case n::IsDead:
        return "the player is dead";
    case n::IsRidingMount:
        return "the player rides a mount";
    case n::IsFalling:
        return "the player is falling";
    case n::PlayerConditionTest:
    case n::PlayerConditionTestB:
        return "player condition test " + hexWord(call.hash);
    case n::IsSwimming:
        return "the player is swimming";
    case n::IsInAnyVehicle:
        return "the player is in a vehicle";
    case n::IsIncapacitated:
        return "the player is incapacitated";
    case n::PlayerConditionValue:
        return "player condition value 1";
    case n::PedConfigFlag:
        return "the player's config flag 11";
    default:
        return std::nullopt;
    }
}

} // namespace

Observer::Observer(Track& track, const PedPlaces& places) : track_(&track), places_(&places) {}

sim::Vec3 Observer::positionOf(std::int32_t handle) const {
    return places_->position(handle).value_or(sim::Vec3{});
}

void Observer::changePhase(DragPhase to, const std::string& why) {
    say("state " + std::string(phaseName(phase_)) + " -> " + phaseName(to) +
        (why.empty() ? "" : " (" + why + ")"));
    phase_ = to;
}

void Observer::onCall(const sim::NativeCall& call) {
    if (call.hash == n::ShowPromptGroupOnEntity) {
        lastShownOn_ = call.args.i32(0);
    }
    watchGuards(call);
    watchHold(call);
    watchPickup(call);
    watchClips(call);
    watchDicts(call);
    watchRelease(call);
}

void Observer::watchGuards(const sim::NativeCall& call) {
    if (phase_ != DragPhase::PickingUp && phase_ != DragPhase::Dragging) {
        return;
    }
    const sim::NativeArgs& args = call.args;
    const std::int64_t frame = sim::world().frame;
    auto end = [&](const std::string& why) {
        track_->mark(Marker::Kind::DragEnd, frame, positionOf(player()), why);
        changePhase(DragPhase::Idle, why);
        target_ = 0;
        pickup_.reset();
    };
    if (args.count >= 1 && args.i32(0) == player()) {
        if (const auto reason = guardReason(call)) {
            end("cut short: " + *reason);
            return;
        }
        if (call.hash == n::IsLimp && call.result.i32() != 0) {
            end("cut short: the player went limp");
            return;
        }
    }
    if (call.hash == n::EntityExists && args.i32(0) == target_ && call.result.i32() == 0) {
        end("cut short: the body no longer exists");
        return;
    }
    if (phase_ == DragPhase::PickingUp && call.hash == n::FreezeEntity && args.i32(0) == target_ &&
        args.flag(1)) {
        const std::string drag = "drag " + std::to_string(drags_);
        say("pick-up done; " + pedNames().name(target_) + " frozen for the first drag frame");
        track_->mark(Marker::Kind::DragStart, frame, positionOf(player()), drag + " starts", 0.0f,
                     drags_);
        changePhase(DragPhase::Dragging, drag);
    }
}

void Observer::watchHold(const sim::NativeCall& call) {
    if (call.hash != n::PromptHoldCompleted || call.result.i32() == 0) {
        return;
    }
    const sim::World& w = sim::world();
    auto prompt = w.prompts.find(call.args.i32(0));
    // A prompt the world does not hold (a capture's) stands on the entity
    // whose prompt group the plugin showed last.
    std::int32_t entity =
        prompt != w.prompts.end() ? sim::promptEntity(prompt->second) : lastShownOn_;
    std::string held;
    if (prompt != w.prompts.end()) {
        auto control = w.controls.find(prompt->second.control);
        if (control != w.controls.end()) {
            held = " (" + controlName(prompt->second.control) + " held " +
                   std::to_string(w.gameTimeMs - control->second.heldSince) + " ms)";
        }
    }
    if (phase_ == DragPhase::Idle) {
        say("hold completed on " + pedNames().name(entity) + held);
        target_ = entity;
        pickup_ = Pickup{};
        ++drags_;
        changePhase(DragPhase::PickingUp, "drag " + std::to_string(drags_));
    } else if (phase_ == DragPhase::Dragging) {
        say("drop hold completed" + held);
        track_->mark(Marker::Kind::DragEnd, w.frame, positionOf(player()),
                     "put down by the player");
        changePhase(DragPhase::PuttingDown, "");
    }
}

void Observer::watchPickup(const sim::NativeCall& call) {
    if (!pickup_ || phase_ != DragPhase::PickingUp) {
        return;
    }
    const sim::NativeArgs& args = call.args;
    if (call.hash == n::PedBonePosition && args.i32(0) == target_) {
        pickup_->bones.emplace_back(args.i32(1), vectorResult(call.result));
    } else if (call.hash == n::DistanceSquared) {
        pickup_->distances.push_back(vectorResult(call.result).x);
    } else if (call.hash == n::SetEntityPosition && args.i32(0) == player()) {
        pickup_->placedAt = sim::Vec3{args.f32(1), args.f32(2), args.f32(3)};
    } else if (call.hash == n::SetEntityHeading && args.i32(0) == player()) {
        finishPickupReport(args.f32(1));
    }
}

void Observer::finishPickupReport(float heading) {
    const Pickup& p = *pickup_;
    const std::int64_t frame = sim::world().frame;
    int chosen = 0;
    for (std::size_t k = 1; k < p.distances.size() && k < 4; ++k) {
        if (p.distances[k] < p.distances[static_cast<std::size_t>(chosen)]) {
            chosen = static_cast<int>(k);
        }
    }
    grabbedThisFrame_ = chosen;
    std::string line = "grab point " + std::to_string(chosen) + " (" + GrabPointNames[chosen] + ")";
    if (p.bones.size() >= 2) {
        const auto& [tagA, a] = p.bones[p.bones.size() - 2];
        const auto& [tagB, b] = p.bones.back();
        sim::Vec3 mid{(a.x + b.x) * 0.5f, (a.y + b.y) * 0.5f, (a.z + b.z) * 0.5f};
        line += ", bones " + std::to_string(tagA) + " and " + std::to_string(tagB) + ", midpoint " +
                place(mid);
        track_->mark(Marker::Kind::GrabPoint, frame, mid,
                     "grab point " + std::to_string(chosen) + " (" + GrabPointNames[chosen] + ")");
    }
    say(line);
    sim::Vec3 at = p.placedAt.value_or(positionOf(player()));
    say((p.placedAt ? "player placed at " + place(at)
                    : std::string("player stays where they are")) +
        ", facing " + fixed(heading, 1) + " deg");
    track_->mark(Marker::Kind::Placement, frame, at, "player placed", heading);
    pickup_.reset();
}

void Observer::watchClips(const sim::NativeCall& call) {
    const sim::NativeArgs& args = call.args;
    if (call.hash == n::PinBoneToPoint && args.i32(0) == target_) {
        ++pinsThisFrame_;
    } else if (call.hash == n::SetEntityHeading && args.i32(0) == player()) {
        headingThisFrame_ = args.f32(1);
    } else if (call.hash == n::ClipSpeed && args.i32(0) == player()) {
        speedThisFrame_ = args.f32(3);
    } else if (call.hash == n::PlayClipTask && args.i32(0) == player()) {
        std::string clip = text(args, 2);
        if (clip == assets::PickupClip) {
            say("pick-up clip plays for " + std::to_string(args.i32(5)) + " ms");
        } else if (clip == assets::PutdownClip) {
            say("put-down clip plays for " + std::to_string(args.i32(5)) + " ms");
        } else {
            std::string filter = text(args, 11);
            bool oneHanded = filter == assets::OneHandedFilter;
            say(std::string("drag clip ") +
                (oneHanded ? "one-handed (aiming)" : "with both hands") + " from phase " +
                fixed(args.f32(7), 2) + ", " + filter);
        }
    }
}

void Observer::watchDicts(const sim::NativeCall& call) {
    if (call.hash != n::AnimDictLoaded) {
        return;
    }
    std::string dict = text(call.args, 0);
    const std::int64_t frame = sim::world().frame;
    auto waiting = dictWaits_.find(dict);
    if (call.result.i32() == 0 && waiting == dictWaits_.end()) {
        dictWaits_[dict] = frame;
        say("waiting for animation dictionary " + dict + "; the script stands still");
    } else if (call.result.i32() != 0 && waiting != dictWaits_.end()) {
        say("animation dictionary " + dict + " loaded after " +
            std::to_string(frame - waiting->second) + " frames");
        dictWaits_.erase(waiting);
    }
}

void Observer::watchRelease(const sim::NativeCall& call) {
    const sim::NativeArgs& args = call.args;
    const std::int64_t frame = sim::world().frame;
    if (call.hash == n::DetachEntity && phase_ != DragPhase::Dragging) {
        std::int32_t body = args.i32(0);
        // Where the body lies is the world's to tell: a capture has no world.
        say(pedNames().name(body) + " detached" +
            (worldTells_ ? " at " + place(positionOf(body)) : std::string()));
        track_->mark(Marker::Kind::Drop, frame, positionOf(body),
                     phase_ == DragPhase::PuttingDown ? "body put down here" : "body let go here");
    } else if (call.hash == n::AllowLimp) {
        say(pedNames().name(args.i32(0)) + " may go limp again");
    } else if (call.hash == n::ClearTasks && args.i32(0) == player()) {
        say("put-down finished; the player's tasks are cleared");
        if (phase_ != DragPhase::Idle) {
            changePhase(DragPhase::Idle, "");
        }
        target_ = 0;
    }
}

void Observer::reportGrip() {
    if (pinsThisFrame_ != 0 && pinsThisFrame_ != pinsShown_) {
        const std::string leftHand = std::to_string(assets::LeftHandBone);
        const std::string rightHand = std::to_string(assets::RightHandBone);
        say(pedNames().name(target_) +
            (pinsThisFrame_ == 1
                 ? " held by one hand (bone " + leftHand + ")"
                 : " held by both hands (bones " + rightHand + " and " + leftHand + ")"));
    }
    pinsShown_ =
        phase_ == DragPhase::Dragging ? (pinsThisFrame_ != 0 ? pinsThisFrame_ : pinsShown_) : 0;
}

void Observer::beginFrame() {
    grabbedThisFrame_.reset();
}

std::vector<std::string> Observer::endFrame() {
    reportGrip();
    if (phase_ == DragPhase::Dragging && speedThisFrame_ && headingThisFrame_) {
        float turn = lastHeading_ ? *headingThisFrame_ - *lastHeading_ : 0.0f;
        float speed = *speedThisFrame_;
        std::string turning =
            std::fabs(turn) < 0.0005f
                ? "no turn"
                : (turn < 0 ? "turning clockwise " : "turning counter-clockwise ") +
                      fixed(std::fabs(turn), 3) + " deg/frame";
        std::string walking = speed == 0.0f  ? "standing"
                              : speed > 0.0f ? "backing away with the body"
                                             : "walking towards the body";
        std::string steering =
            "steering: " + turning + ", clip speed " + fixed(speed, 2) + " (" + walking + ")";
        if (steering != steering_) {
            say(steering);
            steering_ = steering;
        }
    } else if (phase_ != DragPhase::Dragging) {
        steering_.clear();
    }
    if (headingThisFrame_) {
        lastHeading_ = headingThisFrame_;
    }
    headingThisFrame_.reset();
    speedThisFrame_.reset();
    pinsThisFrame_ = 0;
    std::vector<std::string> lines;
    lines.swap(lines_);
    return lines;
}

} // namespace simtool
