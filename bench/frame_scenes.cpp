#include "frame_scenes.h"
#include "plugin/natives.h"

#include "deferred/deferred_actions.h"
#include "drag/drag_state.h"
#include "drag/process_dragging.h"
#include "settings/control_hash.h"
#include "settings/settings.h"
#include "sim/host.h"
#include "sim/host_functions.h"
#include "sim/plugin_loader.h"
#include "sim/world/scene.h"
#include "sim/world/world.h"
#include "support/on_fibre.h"

#include <cmath>
#include <stdexcept>

namespace bench {

namespace {

// The one native that the plugin hands an out-parameter: the address of a
// slot on its own stack, which the floor replaces with a slot of its own.
using natives::CurrentWeapon;
constexpr std::size_t CurrentWeaponSlotWord = 1;
std::uint32_t floorWeaponSlot = 0;

// The positions of the player's hands follow the heading, which a steering
// frame turns: the floor, replayed after the plugin's frame, sees the hands a
// degree further on. The plugin only passes them on to the pins.
using natives::PedBonePosition;

int floorPedList[1024];

// The first game string handle of a frame: every frame hands out the same ones.
std::uint64_t frameFirstString = 0;

void resetPluginRecords() {
    DragState = DragStateRecord{};
    DeferredActions.main.clear();
    DeferredActions.pending.clear();
    Settings = SettingsRecord{};
}

void freshWorld() {
    sim::resetHost();
    sim::installWorld();
    resetPluginRecords();
}

void settle() {
    for (int i = 0; i < 2; ++i) {
        runOnFibre(pluginFrame);
        endFrame();
    }
}

void require(bool condition, const std::string& what) {
    if (!condition) {
        throw std::runtime_error(what);
    }
}

void issue(const FloorCall& call, const std::uint64_t* words) {
    nativeInit(call.hash);
    for (std::uint32_t i = 0; i < call.wordCount; ++i) {
        nativePush64(words[call.firstWord + i]);
    }
    (void)nativeCall();
}

// Records the native calls of `frame` run on the fibre, and how many came
// before the ped list was asked for.
std::vector<sim::NativeCall> record(void (*frame)(), std::ptrdiff_t& pedListAfter) {
    sim::Host& h = sim::host();
    h.calls.clear();
    h.recordCalls = true;
    auto listPeds = h.listPeds;
    pedListAfter = -1;
    h.listPeds = [&h, &pedListAfter, listPeds](int* array, int size) {
        pedListAfter = static_cast<std::ptrdiff_t>(h.calls.size());
        return listPeds ? listPeds(array, size) : 0;
    };
    runOnFibre(frame);
    endFrame();
    h.listPeds = listPeds;
    h.recordCalls = false;
    return std::move(h.calls);
}

const Floor* replayed = nullptr;

} // namespace

void setUpIdle(int count, PedKind kind) {
    freshWorld();
    sim::World& w = sim::world();
    w.listed.clear();
    for (int i = 0; i < count; ++i) {
        // Around the player, 0.5 to 1.4 units away: inside the detection radius.
        const float distance = 0.5f + 0.1f * static_cast<float>(i % 10);
        const float angle = 0.37f * static_cast<float>(i);
        const sim::Vec3 where{distance * std::cos(angle), distance * std::sin(angle), 0.0f};
        switch (kind) {
        case PedKind::Living:
            sim::addPed(where);
            break;
        case PedKind::Body:
            sim::addBody(where);
            break;
        case PedKind::Stale:
            sim::deletePed(sim::addPed(where), true);
            break;
        }
    }
    sim::host().recordCalls = false;
    frameFirstString = w.nextString;
    settle();
}

void setUpDragging(Steering steering) {
    freshWorld();
    sim::Host& h = sim::host();
    sim::addBody({0.0f, 1.0f, 0.0f}, 90.0f);
    sim::loadPlugin();
    sim::runFrame(); // reads the settings; the drag prompt stands on the body
    sim::holdControl(Settings.DragInput);
    for (int i = 0; i < 100 && DragState.state == DragPhase::Idle; ++i) {
        sim::runFrame();
    }
    sim::releaseControl(Settings.DragInput);
    for (int i = 0; i < 100 && !(DragState.state == DragPhase::Dragging && DragState.promptActive);
         ++i) {
        sim::runFrame();
    }
    require(DragState.state == DragPhase::Dragging && DragState.promptActive,
            "the drag did not get under way in the world");

    sim::World& w = sim::world();
    if (steering == Steering::Keyboard) {
        w.keyboardAndMouse = true;
        sim::holdControl(controlHash("INPUT_MOVE_LEFT_ONLY"));
        sim::holdControl(controlHash("INPUT_MOVE_DOWN_ONLY"));
    } else {
        w.keyboardAndMouse = false;
        sim::setControlValue(controlHash("INPUT_MOVE_LR"), -0.5f);
        sim::setControlValue(controlHash("INPUT_MOVE_UD"), 0.8f);
    }
    sim::runFrames(2);
    require(DragState.state == DragPhase::Dragging, "the drag ended while steering");
    h.recordCalls = false;
    h.calls.clear();
    w.strings.clear();
    w.shownThisFrame.clear();
    frameFirstString = w.nextString;
    settle();
}

const std::vector<Scene>& scenes() {
    static const std::vector<Scene> list = [] {
        std::vector<Scene> all;
        all.push_back({"idle/0", [] { setUpIdle(0, PedKind::Living); }});
        for (int count : {64, 1024}) {
            const std::string n = std::to_string(count);
            all.push_back(
                {"idle/" + n + "/none_qualify", [count] { setUpIdle(count, PedKind::Living); }});
            all.push_back(
                {"idle/" + n + "/all_qualify", [count] { setUpIdle(count, PedKind::Body); }});
            all.push_back(
                {"idle/" + n + "/first_filter", [count] { setUpIdle(count, PedKind::Stale); }});
        }
        all.push_back({"dragging/keyboard", [] { setUpDragging(Steering::Keyboard); }});
        all.push_back({"dragging/stick", [] { setUpDragging(Steering::Stick); }});
        return all;
    }();
    return list;
}

void pluginFrame() {
    runDueActions();
    ProcessDragging();
}

void endFrame() {
    sim::World& w = sim::world();
    w.strings.clear();
    w.shownThisFrame.clear();
    w.nextString = frameFirstString;
}

Floor recordFloor() {
    Floor floor;
    std::ptrdiff_t pedListAfter = -1;
    const std::vector<sim::NativeCall> calls = record(pluginFrame, pedListAfter);
    floor.pedListAfter = pedListAfter;
    for (const sim::NativeCall& call : calls) {
        FloorCall entry;
        entry.hash = call.hash;
        entry.firstWord = static_cast<std::uint32_t>(floor.words.size());
        entry.wordCount = static_cast<std::uint32_t>(call.args.count);
        for (std::size_t i = 0; i < call.args.count; ++i) {
            const bool slot = call.hash == CurrentWeapon && i == CurrentWeaponSlotWord;
            floor.words.push_back(slot ? reinterpret_cast<std::uintptr_t>(&floorWeaponSlot)
                                       : call.args.words[i]);
        }
        floor.calls.push_back(entry);
    }

    replayed = &floor;
    std::ptrdiff_t replayPedListAfter = -1;
    const std::vector<sim::NativeCall> again =
        record([] { floorFrame(*replayed); }, replayPedListAfter);
    replayed = nullptr;
    require(again.size() == calls.size() && replayPedListAfter == pedListAfter,
            "the floor made another number of calls than the plugin");
    for (std::size_t c = 0; c < calls.size(); ++c) {
        const sim::NativeCall& mine = calls[c];
        const sim::NativeCall& theirs = again[c];
        bool same = mine.hash == theirs.hash && mine.args.count == theirs.args.count &&
                    (mine.result.words == theirs.result.words || mine.hash == PedBonePosition);
        for (std::size_t i = 0; same && i < mine.args.count; ++i) {
            const bool slot = mine.hash == CurrentWeapon && i == CurrentWeaponSlotWord;
            same = slot || mine.args.words[i] == theirs.args.words[i];
        }
        require(same, "call " + std::to_string(c) + " (native " + sim::hex(mine.hash) +
                          ") differs between the plugin and its floor");
    }
    require(hostFaults().empty(), "host faults: " + hostFaults());
    return floor;
}

void floorFrame(const Floor& floor) {
    const FloorCall* calls = floor.calls.data();
    const std::uint64_t* words = floor.words.data();
    const std::size_t count = floor.calls.size();
    const std::size_t split =
        floor.pedListAfter < 0 ? count : static_cast<std::size_t>(floor.pedListAfter);
    std::size_t i = 0;
    for (; i < split; ++i) {
        issue(calls[i], words);
    }
    if (floor.pedListAfter >= 0) {
        (void)worldGetAllPeds(floorPedList, 1024);
    }
    for (; i < count; ++i) {
        issue(calls[i], words);
    }
}

std::string hostFaults() {
    std::string text;
    for (const std::string& error : sim::host().errors) {
        text += error + "\n";
    }
    const sim::World& w = sim::world();
    if (!w.deletedHandleUses.empty()) {
        text += std::to_string(w.deletedHandleUses.size()) + " uses of deleted handles\n";
    }
    if (!w.stalePromptUses.empty()) {
        text += std::to_string(w.stalePromptUses.size()) + " uses of deleted prompts\n";
    }
    return text;
}

} // namespace bench
