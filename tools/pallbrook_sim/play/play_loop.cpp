#include "play/play_loop.h"

#include "play/platform.h"
#include "printing/format.h"
#include "report/trace/trace.h"

#include "sim/host.h"
#include "sim/world/world.h"

#include <cmath>
#include <cstdio>

namespace simtool {

PlayLoop::PlayLoop(std::uint32_t startTimeMs, std::uint32_t frameTimeMs)
    : startTimeMs_(startTimeMs), frameTimeMs_(frameTimeMs) {}

void PlayLoop::trace(const std::function<std::string(const TracePlace&)>& line) {
    ++eventInFrame_;
    if (trace_ != nullptr) {
        const auto time = clock_ ? static_cast<std::uint32_t>(clock_()) : sim::world().gameTimeMs;
        *trace_ << line({sim::world().frame, eventInFrame_, time, madeUp_ && madeUp_()}) << '\n';
    }
}

void PlayLoop::listen() {
    sim::Host& host = sim::host();
    host.onCall = [this](const sim::NativeCall& call) {
        places_.onCall(call);
        observer_.onCall(call);
        search_.onCall(call, places_.player());
        if (promptsFromCalls_) {
            promptBook_.onCall(call);
        }
        trace([&call](const TracePlace& place) { return traceLine(call, place); });
    };
    host.onPedList = [this](std::span<const int> handles) {
        search_.onPedList(handles);
        trace([handles](const TracePlace& place) { return pedListLine(handles, place); });
    };
    host.onWait = [this] { trace(waitLine); };
}

void PlayLoop::stopListening() {
    sim::host().onCall = nullptr;
    sim::host().onPedList = nullptr;
    sim::host().onWait = nullptr;
}

std::int64_t PlayLoop::clock() const {
    if (clock_) {
        return clock_();
    }
    return static_cast<std::int64_t>(startTimeMs_) +
           sim::world().frame * static_cast<std::int64_t>(frameTimeMs_);
}

void PlayLoop::printColumnHeads() {
    std::puts("  frame   game time");
}

void PlayLoop::print(const std::string& line) {
    if (progressShown_) {
        std::fputs("\r\033[K", stderr);
        progressShown_ = false;
    }
    std::string prefix = std::to_string(sim::world().frame);
    prefix.insert(0, prefix.size() < 6 ? 6 - prefix.size() : 0, ' ');
    std::string time = fixed(static_cast<double>(clock()) / 1000.0, 3);
    time.insert(0, time.size() < 9 ? 9 - time.size() : 0, ' ');
    std::fputs((prefix + time + " s  " + line + "\n").c_str(), stdout);
}

void PlayLoop::play(std::int64_t frames, const std::function<void()>& afterFrame) {
    bool terminal = isTerminal(stderr) && frames >= 1000;
    while (sim::world().frame < frames && fault_.empty()) {
        frame([] { sim::runFrame(); });
        afterFrame();
        showProgress(terminal, frames);
    }
    if (progressShown_) {
        std::fputs("\r\033[K", stderr);
    }
}

void PlayLoop::playFrame(const std::function<void()>& runFrame) {
    frame(runFrame);
}

void PlayLoop::frame(const std::function<void()>& runFrame) {
    observer_.beginFrame();
    promptBook_.beginFrame();
    search_.beginFrame();
    eventInFrame_ = 0;
    const DragPhase before = observer_.phase();
    runFrame();
    for (std::string& line : observer_.endFrame()) {
        pending_.push_back(std::move(line));
    }
    const auto prompts = promptsFromCalls_ ? promptBook_.prompts() : sim::prompts();
    for (std::string& line : promptWatch_.update(track_, sim::world().frame, prompts, places_)) {
        pending_.push_back(std::move(line));
    }
    promptStands_ = !prompts.empty();
    tellWhy(before, prompts);
    for (const std::string& line : pending_) {
        print(line);
    }
    pending_.clear();
    sample();
    crossCheck();
    reportHostErrors();
}

void PlayLoop::sample() {
    const std::int64_t frame = sim::world().frame;
    const std::int32_t player = places_.player();
    const Sample* last = track_.samples.empty() ? nullptr : &track_.samples.back();
    track_.player = player;
    track_.samples.push_back({frame, clock(),
                              places_.position(player).value_or(last ? last->player : sim::Vec3{}),
                              places_.heading(player).value_or(last ? last->heading : 0.0f),
                              observer_.phase(), observer_.target(), promptStands_});
    for (const std::int32_t handle : places_.known()) {
        const sim::Vec3 at = *places_.position(handle);
        auto& path = track_.pedPaths[handle];
        if (path.empty() || std::hypot(path.back().at.x - at.x, path.back().at.y - at.y) > 0.005f) {
            path.push_back({frame, at});
        }
        track_.looks[handle] = {places_.lying(handle), places_.heading(handle)};
    }
}

// The linked build can see the plugin's own state: the brief must agree.
void PlayLoop::crossCheck() {
    auto state = pluginDragState();
    if (state && *state != static_cast<int>(observer_.phase())) {
        fault_ = "tool fault: the brief says " + std::string(phaseName(observer_.phase())) +
                 " but the plugin's state is " + phaseName(static_cast<DragPhase>(*state));
    }
    auto grab = pluginGrabPoint();
    auto seen = observer_.grabPointThisFrame();
    if (grab && seen && observer_.phase() == DragPhase::PickingUp && *grab != *seen) {
        fault_ = "tool fault: the brief says grab point " + std::to_string(*seen) +
                 " but the plugin chose " + std::to_string(*grab);
    }
}

// Why no prompt stands, when the reason changes; and the prompt whose hold
// never completed.
void PlayLoop::tellWhy(DragPhase before, const std::vector<sim::PromptView>& prompts) {
    std::optional<NoPromptReason> reason;
    // Answers made up after a replay's difference tell nothing of the game.
    const bool madeUp = madeUp_ && madeUp_();
    if (observer_.phase() == DragPhase::Idle && before == DragPhase::Idle && prompts.empty() &&
        !madeUp) {
        reason = search_.reason(detectionRadius_);
        if (reason->key != reasonTold_) {
            pending_.push_back(reason->text);
            reasonTold_ = reason->key;
        }
    } else {
        reasonTold_.clear();
    }
    const bool holdCompleted =
        observer_.phase() != before &&
        (observer_.phase() == DragPhase::PickingUp || observer_.phase() == DragPhase::PuttingDown);
    for (std::string& line :
         summary_.afterFrame(sim::world().frame, clock(), prompts, holdCompleted, reason)) {
        pending_.push_back(std::move(line));
    }
}

void PlayLoop::markDifference(std::string label) {
    const std::int32_t player = places_.player();
    const sim::Vec3 at = places_.position(player).value_or(
        track_.samples.empty() ? sim::Vec3{} : track_.samples.back().player);
    track_.mark(Marker::Kind::Difference, sim::world().frame, at, std::move(label));
}

void PlayLoop::printSummary() {
    for (const std::string& line : summary_.endLines(track_)) {
        std::puts(line.c_str());
    }
}

void PlayLoop::reportHostErrors() {
    const auto& errors = sim::host().errors;
    for (; errorsShown_ < errors.size(); ++errorsShown_) {
        print("host fault: " + errors[errorsShown_]);
    }
}

void PlayLoop::showProgress(bool terminal, std::int64_t frames) {
    std::int64_t frame = sim::world().frame;
    if (terminal && frame % 250 == 0) {
        std::fprintf(stderr, "\r  frame %lld of %lld", static_cast<long long>(frame),
                     static_cast<long long>(frames));
        std::fflush(stderr);
        progressShown_ = true;
    }
}

void PlayLoop::printEnd() const {
    const sim::Ped& player = sim::world().peds.at(sim::world().player);
    std::puts(("end after " + std::to_string(sim::world().frame) + " frames: state " +
               phaseName(observer_.phase()) + ", player at (" + fixed(player.position.x, 2) + ", " +
               fixed(player.position.y, 2) + ", " + fixed(player.position.z, 2) + ") facing " +
               fixed(player.heading, 1) + " deg")
                  .c_str());
}

} // namespace simtool
