// A test that runs the plugin in the stand-in world: a fresh host and world,
// the plugin's own records back at their load-time values, and the plugin
// attached as Windows would attach it. Any host fault fails the test.
#pragma once

#include "deferred/deferred_actions.h"
#include "drag/drag_state.h"
#include "settings/settings.h"
#include "sim/plugin_loader.h"
#include "sim/world/scene.h"
#include "sim/world/world.h"
#include "support/host_fixture.h"

#include <cstdint>

class PluginInWorldTest : public HostTest {
  protected:
    void SetUp() override {
        HostTest::SetUp();
        sim::installWorld();
        DragState = DragStateRecord{};
        DeferredActions.main.clear();
        DeferredActions.pending.clear();
        Settings = SettingsRecord{};
        sim::loadPlugin();
    }

    // How many native calls with this hash the host has recorded.
    static std::size_t callsTo(std::uint64_t hash) {
        std::size_t n = 0;
        for (const auto& call : sim::host().calls) {
            n += call.hash == hash ? 1u : 0u;
        }
        return n;
    }
};
