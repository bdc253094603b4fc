#include "plugin/dll_main.h"
#include "plugin/keyboard_state.h"
#include "plugin/script.h"
#include "sim/plugin_loader.h"
#include "support/host_fixture.h"

#include <stdexcept>

namespace {

using Kind = sim::HostEvent::Kind;
constexpr std::uint64_t GameTimer = 0x4F67E8ECA7D3F667;

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

TEST_F(LifecycleTest, AttachCallsNoNativeAndTheScriptRunsOneLoopPerFrame) {
    int timerReads = 0;
    defineTimer([&] { return ++timerReads * 16; });
    sim::loadPlugin();
    EXPECT_TRUE(sim::host().calls.empty());
    sim::runFrames(5);
    // The script yields once per frame: one pass of the deferred actions each.
    EXPECT_EQ(timerReads, 5);
    for (std::size_t i = 0; i < sim::host().calls.size(); ++i) {
        EXPECT_EQ(sim::host().calls[i].frame, static_cast<std::int64_t>(i) + 1);
    }
}

TEST_F(LifecycleTest, AFaultInsideANativeDoesNotEndTheScript) {
    int reads = 0;
    defineTimer([&]() -> std::int32_t {
        if (++reads == 2) {
            throw std::runtime_error("host fault");
        }
        return reads;
    });
    sim::loadPlugin();
    sim::runFrames(4);
    EXPECT_EQ(reads, 4);
}

TEST_F(LifecycleTest, DetachWhileRunningStopsTheScriptBeingResumed) {
    int reads = 0;
    defineTimer([&] { return ++reads; });
    sim::loadPlugin();
    sim::runFrames(2);
    sim::unloadPlugin();
    EXPECT_FALSE(sim::runFrame());
    EXPECT_EQ(reads, 2);
}

} // namespace
