// Loads the real Pallbrook.asi with the Windows loader, runs its script on a
// Windows fibre in the stand-in host, and unloads it again.
#include "plugin/natives.h"
#include "sim/host.h"
#include "sim/plugin_loader.h"
#include "sim/world/world.h"
#include "wine_checks.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdio>

// mingw-w64's inline GetCurrentFiber reads the thread block in a way that
// GCC 12 mistakes for an out-of-bounds access.
#pragma GCC diagnostic ignored "-Warray-bounds"

namespace {

using wine_checks::check;

using Kind = sim::HostEvent::Kind;

} // namespace

int main() {
    sim::resetHost();
    sim::installWorld();
    using natives::GameTimer;
    int timerReads = 0;
    bool allOnFibre = true;
    LPVOID hostFibre = nullptr;
    auto timer = sim::host().natives.at(GameTimer).handler;
    sim::host().natives.at(GameTimer).handler = [&, timer](const sim::NativeArgs& a,
                                                           sim::NativeResult& r) {
        ++timerReads;
        allOnFibre = allOnFibre && IsThreadAFiber() && GetCurrentFiber() != hostFibre;
        timer(a, r);
    };

    check(sim::loadPlugin("Pallbrook.asi"), "Pallbrook.asi loads");
    HINSTANCE__* module = sim::loadedPluginModule();
    auto& events = sim::host().events;
    check(events.size() == 2, "attach makes two registrations");
    if (events.size() >= 2) {
        check(events[0].kind == Kind::ScriptRegister, "the script is registered first");
        check(events[0].module == module, "with the module handle Windows gave the plugin");
        check(events[0].script != nullptr, "with a script entry");
        check(events[1].kind == Kind::KeyboardRegister, "then the keyboard handler");
        check(events[1].keyboard != nullptr, "with a keyboard handler");
    }
    check(sim::host().calls.empty(), "attach calls no native");

    sim::runFrame();
    hostFibre = GetCurrentFiber();
    sim::runFrames(29);
    check(timerReads == 30, "the script runs one loop per frame for 30 frames");
    check(allOnFibre, "the script runs on its own Windows fibre");

    const unsigned long keys[] = {0, 65, 254, 255, 256, 0xFFFFu, 0xFFFFFFFFul};
    for (unsigned long key : keys) {
        sim::sendKeyboardMessage(key, 1, 0x1E, 0, 1, 0, 0);
        sim::sendKeyboardMessage(key, 1, 0x1E, 1, 0, 1, 1);
    }
    sim::runFrames(5);
    check(timerReads == 35, "the script goes on after keyboard messages of every key code");

    sim::notifyThread(DLL_THREAD_ATTACH);
    check(events.size() == 2, "thread notifications change nothing");

    const auto script = events.size() >= 2 ? events[0].script : nullptr;
    const auto keyboard = events.size() >= 2 ? events[1].keyboard : nullptr;
    sim::unloadPlugin();
    check(events.size() == 4, "detach makes two unregistrations");
    if (events.size() == 4) {
        check(events[2].kind == Kind::ScriptUnregister, "the script is unregistered first");
        check(events[2].module == module, "with the same module handle");
        check(events[3].kind == Kind::KeyboardUnregister, "then the keyboard handler");
        check(events[3].keyboard == keyboard, "the same handler that was registered");
    }
    check(sim::host().script == nullptr && sim::host().keyboard == nullptr,
          "nothing stays registered");
    (void)script;

    for (const auto& error : sim::host().errors) {
        std::printf("host: %s\n", error.c_str());
    }
    check(sim::host().errors.empty(), "the host saw no fault");
    return wine_checks::tally("wine lifecycle");
}
