// Loads and unloads the real Pallbrook.asi a hundred times in one process, as
// a game that reloads its plugins would: each cycle installs a fresh world
// with a body at the player's feet, loads the plugin, runs its script through
// part of a drag and unloads it in the middle (with the drag prompt up, while
// picking up, while dragging, or while waiting for a dictionary). After every
// cycle the host has nothing registered and the module is gone; after all of
// them the process has kept no more memory per cycle than the C++ runtime's
// exception pool, and the stand-in host still runs a plugin.
#include "drag/drag_assets.h"
#include "sim/host.h"
#include "sim/plugin_loader.h"
#include "sim/world/scene.h"
#include "sim/world/world.h"
#include "wine_checks.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

constexpr int Cycles = 100;
using assets::DragClipDict;

using wine_checks::check;

// The process's committed private memory: heap blocks and stacks that a cycle
// keeps show here.
std::size_t privateBytes() {
    std::size_t total = 0;
    MEMORY_BASIC_INFORMATION region{};
    for (auto* at = static_cast<char*>(nullptr);
         VirtualQuery(at, &region, sizeof region) == sizeof region;
         at = static_cast<char*>(region.BaseAddress) + region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) {
            total += region.RegionSize;
        }
    }
    return total;
}

enum class UnloadPoint { PromptUp, PickingUp, Dragging, DictionaryWait };

const char* describe(UnloadPoint point) {
    switch (point) {
    case UnloadPoint::PromptUp:
        return "with the drag prompt up";
    case UnloadPoint::PickingUp:
        return "while picking up";
    case UnloadPoint::Dragging:
        return "while dragging";
    case UnloadPoint::DictionaryWait:
        return "while waiting for a dictionary";
    }
    return "?";
}

// Runs frames until the condition holds, at most limit frames.
template <class Condition> bool runUntil(Condition condition, int limit = 200) {
    for (int i = 0; i < limit; ++i) {
        sim::runFrame();
        if (condition()) {
            return true;
        }
    }
    return false;
}

// One cycle; false if the plugin could not be loaded at all.
bool cycle(int n) {
    const auto point = static_cast<UnloadPoint>(n % 4);
    const std::string at = "cycle " + std::to_string(n) + " " + describe(point) + ": ";
    sim::resetHost();
    sim::installWorld();
    const std::int32_t body = sim::addBody({0.0f, 1.5f, 0.0f});
    if (point == UnloadPoint::DictionaryWait) {
        sim::setDictLoadFrames(DragClipDict, 1000);
    }
    if (!sim::loadPlugin("Pallbrook.asi")) {
        check(false, at + "Pallbrook.asi loads");
        return false;
    }

    // The prompt stands on the body; hold its control.
    sim::runFrame();
    const auto prompt = sim::onlyPrompt();
    check(prompt && prompt->entity == body, at + "the drag prompt stands on the body");
    if (point != UnloadPoint::PromptUp && prompt) {
        sim::holdControl(prompt->control);
        const sim::Ped& player = sim::playerPed();
        check(
            runUntil([&] { return player.clip.active && player.clip.clip == assets::PickupClip; }),
            at + "the pick-up starts");
        if (point == UnloadPoint::Dragging) {
            sim::releaseControl(prompt->control);
            check(runUntil([&] { return player.clip.clip == assets::DragClip; }),
                  at + "the drag clip plays");
            sim::runFrames(3);
            const auto drop = sim::onlyPrompt();
            check(drop && drop->label == "Drop" && drop->entity == body,
                  at + "the drop prompt stands on the body");
        } else if (point == UnloadPoint::DictionaryWait) {
            // The drag clip's dictionary never loads: the script waits in it.
            sim::runFrames(80);
            check(sim::world().dicts.contains(DragClipDict), at + "the drag clip was requested");
        }
    }

    const std::size_t registered = sim::host().events.size();
    sim::unloadPlugin();
    const auto& h = sim::host();
    check(registered == 2 && h.events.size() == 4, at + "two registrations, two unregistrations");
    check(h.script == nullptr && h.keyboard == nullptr, at + "nothing stays registered");
    check(GetModuleHandleA("Pallbrook.asi") == nullptr, at + "the module is unloaded");
    check(!sim::runFrame(), at + "no script runs after the unload");
    for (const auto& error : h.errors) {
        std::printf("host: %s\n", error.c_str());
    }
    check(h.errors.empty(), at + "the host saw no fault");
    return true;
}

} // namespace

int main() {
    std::size_t memoryAfterFirst = 0;
    for (int n = 1; n <= Cycles; ++n) {
        if (!cycle(n)) {
            break;
        }
        if (n == 4) {
            memoryAfterFirst = privateBytes();
        }
    }
    sim::resetHost();

    // Each load of the plugin keeps about 73 KiB: the emergency pool for
    // exceptions of the C++ runtime linked into it, which it allocates when it
    // starts and never frees. Anything more per cycle is kept by the plugin.
    const std::size_t memory = privateBytes();
    const std::size_t perCycle = (memory - std::min(memory, memoryAfterFirst)) / (Cycles - 4);
    std::printf("committed private memory after 4 cycles %zu KiB, after %d cycles %zu KiB: "
                "%zu KiB kept per cycle\n",
                memoryAfterFirst / 1024, Cycles, memory / 1024, perCycle / 1024);
    check(memoryAfterFirst > 0 && perCycle <= 128 * 1024, "no more than 128 KiB kept per cycle");

    // The runner is still healthy: one more plugin runs its frames.
    sim::installWorld();
    check(sim::loadPlugin("Pallbrook.asi"), "the plugin loads once more");
    sim::runFrames(30);
    check(sim::host().errors.empty(), "and runs 30 frames without a fault");
    sim::unloadPlugin();

    return wine_checks::tally("wine load cycles");
}
