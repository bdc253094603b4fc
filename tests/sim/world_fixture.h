// A test of the stand-in world: a fresh host with the world installed, and a
// script of the test's own that runs a given piece of code in each frame, on
// the script fibre where natives may be called.
#pragma once

#include "plugin/native_call.h"
#include "plugin/natives.h"
#include "sim/host_functions.h"
#include "sim/world/native_table.h"
#include "sim/world/scene.h"
#include "sim/world/text_hash.h"
#include "sim/world/world.h"
#include "support/host_fixture.h"

#include <functional>
#include <utility>

class WorldTest : public HostTest {
  protected:
    void SetUp() override {
        HostTest::SetUp();
        sim::installWorld();
        scriptRegister(reinterpret_cast<HINSTANCE__*>(&moduleToken), &script);
    }

    // One game frame: the world steps, then body runs on the script fibre.
    static void frame(std::function<void()> body = {}) {
        frameBody() = std::move(body);
        sim::runFrame();
        frameBody() = nullptr;
    }

    // Takes the faults the host saw, so that a test that expects one can
    // check it without failing.
    static std::vector<std::string> takeErrors() { return std::exchange(sim::host().errors, {}); }

  private:
    static inline char moduleToken = 0;
    static std::function<void()>& frameBody() {
        static std::function<void()> body;
        return body;
    }
    static void script() {
        for (;;) {
            if (frameBody()) {
                frameBody()();
            }
            scriptWait(0);
        }
    }
};
