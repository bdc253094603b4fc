#include "soak/soak_run.h"

#include "deferred/deferred_actions.h"
#include "drag/drag_state.h"
#include "settings/scratch_folder.h"
#include "settings/settings.h"
#include "sim/host.h"
#include "sim/plugin_loader.h"
#include "sim/world/world.h"
#include "soak/monitor.h"
#include "soak/player_driver.h"
#include "soak/rng.h"
#include "soak/settings_profiles.h"
#include "soak/world_faults.h"
#include "support/counting_allocator.h"

#include <fstream>

namespace soak {

namespace {

void writeIni(const SettingsRecord& values) {
    std::ofstream("Pallbrook.ini", std::ios::trunc) << iniText(values);
}

bool quiet(const Monitor& monitor) {
    return DragState.state == DragPhase::Idle && DeferredActions.main.empty() &&
           DeferredActions.pending.empty() && !monitor.waiting();
}

// New settings while nothing is under way: written into the record between
// frames, or into Pallbrook.ini with the script started again to read it.
void changeSettings(Rng& rng, Stats& stats, Monitor& monitor) {
    if (!quiet(monitor)) {
        return;
    }
    if (rng.chance(0.0004)) {
        const SettingsProfile profile = pickProfile(rng);
        Settings = profile.values;
        ++stats.faults[std::string("settings changed between frames: ") + profile.name];
    } else if (rng.chance(0.0002)) {
        const SettingsProfile profile = pickProfile(rng);
        writeIni(profile.values);
        sim::restartScript();
        monitor.noteScriptRestart();
        ++stats.faults[std::string("script restarted with Pallbrook.ini: ") + profile.name];
    }
}

} // namespace

RunResult runSoak(std::uint64_t seed, std::int64_t frames) {
    RunResult result;
    ScratchFolder scratch;
    sim::resetHost();
    sim::installWorld();
    DragState = DragStateRecord{};
    DeferredActions.main.clear();
    DeferredActions.pending.clear();
    alloc_count::reset();

    Rng rng(seed);
    Stats& stats = result.stats;
    const SettingsProfile profile = pickProfile(rng);
    result.settings = profile.name;
    if (rng.chance(0.5)) {
        Settings = SettingsRecord{};
        writeIni(profile.values);
    } else {
        Settings = profile.values;
    }

    Monitor monitor(stats);
    WorldFaults world(rng, stats, monitor);
    PlayerDriver player(rng, stats);
    sim::loadPlugin();
    monitor.install();
    world.setUp();

    for (std::int64_t i = 0; i < frames; ++i) {
        world.step();
        player.step();
        changeSettings(rng, stats, monitor);
        monitor.beginFrame();
        sim::runFrame();
        monitor.endFrame();
        if (!monitor.failures().empty()) {
            result.failedFrame = sim::host().frame;
            result.failures = monitor.failures();
            break;
        }
    }

    sim::host().onCall = nullptr;
    sim::unloadPlugin();
    if (result.failures.empty() &&
        (sim::host().script != nullptr || sim::host().keyboard != nullptr)) {
        result.failedFrame = sim::host().frame;
        result.failures.push_back("the plugin left a registration behind when it was unloaded");
    }
    return result;
}

} // namespace soak
