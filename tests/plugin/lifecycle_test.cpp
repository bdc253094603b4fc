#include "plugin/dll_main.h"
#include "plugin/keyboard_state.h"
#include "plugin/natives.h"
#include "plugin/script.h"
#include "settings/scratch_folder.h"
#include "sim/plugin_loader.h"
#include "support/host_fixture.h"
#include "support/plugin_in_world.h"

#include <stdexcept>

namespace {

using Kind = sim::HostEvent::Kind;
using natives::GameTimer;

class LifecycleTest : public HostTest {
  protected:
    void defineTimer(std::function<std::int32_t()> answer) {
        sim::defineNative(
            GameTimer, "game timer", 0,
            [answer](const sim::NativeArgs&, sim::NativeResult& r) { r.setI32(answer()); });
    }
};

TEST_F(LifecycleTest, AttachRegistersScriptThenKeyboardAndDetachUnregistersInTheSameOrder) {
    sim::loadPlugin();
    sim::unloadPlugin();
    const auto& events = sim::host().events;
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[0].kind, Kind::ScriptRegister);
    EXPECT_EQ(events[0].script, &runScript);
    EXPECT_EQ(events[1].kind, Kind::KeyboardRegister);
    EXPECT_EQ(events[1].keyboard, &handleKeyboardMessage);
    EXPECT_EQ(events[2].kind, Kind::ScriptUnregister);
    EXPECT_EQ(events[2].module, events[0].module);
    EXPECT_NE(events[2].module, nullptr);
    EXPECT_EQ(events[3].kind, Kind::KeyboardUnregister);
    EXPECT_EQ(events[3].keyboard, events[1].keyboard);
    EXPECT_EQ(sim::host().script, nullptr);
    EXPECT_EQ(sim::host().keyboard, nullptr);
}

TEST_F(LifecycleTest, EveryNotificationAnswersTrueAndThreadNotificationsChangeNothing) {
    auto* module = reinterpret_cast<HINSTANCE>(&sim::host());
    EXPECT_EQ(DllMain(module, DLL_THREAD_ATTACH, nullptr), TRUE);
    EXPECT_EQ(DllMain(module, DLL_THREAD_DETACH, nullptr), TRUE);
    EXPECT_TRUE(sim::host().events.empty());
    EXPECT_EQ(DllMain(module, DLL_PROCESS_ATTACH, nullptr), TRUE);
    EXPECT_EQ(DllMain(module, DLL_THREAD_ATTACH, nullptr), TRUE);
    EXPECT_EQ(sim::host().events.size(), 2u);
    EXPECT_EQ(DllMain(module, DLL_PROCESS_DETACH, reinterpret_cast<LPVOID>(1)), TRUE);
    EXPECT_EQ(sim::host().events.size(), 4u);
}

} // namespace

namespace {

class ScriptLoopTest : public PluginInWorldTest {
  protected:
    // The first native of each frame, in order.
    std::vector<std::uint64_t> firstCallOfEachFrame() const {
        std::vector<std::uint64_t> first;
        std::int64_t frame = 0;
        for (const auto& call : sim::host().calls) {
            if (call.frame != frame) {
                first.push_back(call.hash);
                frame = call.frame;
            }
        }
        return first;
    }
};

using natives::PlayerPed;

TEST_F(ScriptLoopTest, AttachCallsNoNativeAndEachFrameRunsActionsThenTheDragStep) {
    EXPECT_TRUE(sim::host().calls.empty());
    sim::runFrames(5);
    EXPECT_EQ(callsTo(GameTimer), 5u);
    // An idle frame asks for the player's ped, and the body search asks again.
    EXPECT_EQ(callsTo(PlayerPed), 10u);
    EXPECT_EQ(firstCallOfEachFrame(), std::vector<std::uint64_t>(5, GameTimer));
    // The timer read is followed at once by the drag step's first question.
    EXPECT_EQ(sim::host().calls.at(1).hash, PlayerPed);
}

TEST_F(ScriptLoopTest, AFaultInsideANativeDoesNotEndTheScript) {
    int reads = 0;
    auto timer = sim::host().natives.at(GameTimer).handler;
    sim::host().natives.at(GameTimer).handler = [&, timer](const sim::NativeArgs& a,
                                                           sim::NativeResult& r) {
        if (++reads == 2) {
            throw std::runtime_error("host fault");
        }
        timer(a, r);
    };
    sim::runFrames(4);
    EXPECT_EQ(reads, 4);
    // The frame whose timer read failed skipped its drag step; the others ran.
    EXPECT_EQ(callsTo(PlayerPed), 6u);
}

TEST_F(ScriptLoopTest, DetachWhileRunningStopsTheScriptBeingResumed) {
    sim::runFrames(2);
    sim::unloadPlugin();
    EXPECT_FALSE(sim::runFrame());
    EXPECT_EQ(callsTo(GameTimer), 2u);
}

TEST_F(ScriptLoopTest, StartingTheScriptAgainReadsTheSettingsAgainAndResetsNothingElse) {
    ScratchFolder folder;
    writeBytes(folder.path() / "Pallbrook.ini", "[Pallbrook]\nDragText=Grab\n");
    sim::addBody({1.0f, 0.0f, 0.0f});
    sim::runFrames(2);
    ASSERT_EQ(Settings.DragText, "Grab");
    DragState.heading = 123.0f;

    writeBytes(folder.path() / "Pallbrook.ini", "[Pallbrook]\nHoldTime=900\n");
    sim::restartScript();
    sim::runFrames(1);
    EXPECT_EQ(Settings.HoldTime, 900);
    // A key the second file lacks keeps what the first load stored.
    EXPECT_EQ(Settings.DragText, "Grab");
    EXPECT_EQ(DragState.heading, 123.0f);
    EXPECT_TRUE(DragState.promptActive);
}

} // namespace
