// What the plugin is doing, told from the native calls it makes and the
// world's answers alone: its drag state, the hold completing, the grab point,
// the clips, the grip and the steering. It never looks inside the plugin, so
// it tells the same story of the linked plugin and of Pallbrook.asi.
#pragma once

#include "drag/drag_state.h"
#include "report/brief/ped_places.h"
#include "report/track.h"

#include "sim/host.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace simtool {

class Observer {
  public:
    // Where the peds are comes from the places given.
    Observer(Track& track, const PedPlaces& places);

    // The calls come from a capture: the stand-in world does not hold the
    // peds they name, so the brief tells nothing that only the world knows.
    void worldDoesNotTell() { worldTells_ = false; }

    void beginFrame();
    void onCall(const sim::NativeCall& call);
    // The brief's lines for the frame that has just run.
    std::vector<std::string> endFrame();

    DragPhase phase() const { return phase_; }
    std::int32_t target() const { return target_; }
    // The drags begun so far, each from its pick-up: the brief numbers them
    // from 1.
    int drags() const { return drags_; }
    // The grab point chosen in the frame that has just run, if a pick-up
    // started in it.
    std::optional<int> grabPointThisFrame() const { return grabbedThisFrame_; }

  private:
    struct Pickup {
        std::vector<std::pair<std::int32_t, sim::Vec3>> bones;
        std::vector<float> distances;
        std::optional<sim::Vec3> placedAt;
    };

    std::int32_t player() const { return places_->player(); }
    sim::Vec3 positionOf(std::int32_t handle) const;
    void say(std::string line) { lines_.push_back(std::move(line)); }
    void changePhase(DragPhase to, const std::string& why);
    void watchGuards(const sim::NativeCall& call);
    void watchPickup(const sim::NativeCall& call);
    void watchClips(const sim::NativeCall& call);
    void watchDicts(const sim::NativeCall& call);
    void watchHold(const sim::NativeCall& call);
    void watchRelease(const sim::NativeCall& call);
    void finishPickupReport(float heading);
    void reportGrip();

    Track* track_;
    const PedPlaces* places_;
    bool worldTells_ = true;
    int drags_ = 0;
    std::int32_t lastShownOn_ = 0;
    DragPhase phase_ = DragPhase::Idle;
    std::int32_t target_ = 0;
    std::vector<std::string> lines_;
    std::optional<Pickup> pickup_;
    std::optional<int> grabbedThisFrame_;
    std::map<std::string, std::int64_t> dictWaits_; // dict -> frame the wait began
    int pinsThisFrame_ = 0;
    int pinsShown_ = 0;
    std::optional<float> headingThisFrame_;
    std::optional<float> lastHeading_;
    std::optional<float> speedThisFrame_;
    std::string steering_;
};

} // namespace simtool
