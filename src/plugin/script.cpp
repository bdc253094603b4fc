#include "plugin/script.h"

#include "deferred/deferred_actions.h"
#include "drag/process_dragging.h"
#include "plugin/host_api.h"
#include "settings/settings.h"

namespace {

// The script runs inside the game process: nothing may escape it. A step that
// fails is abandoned for this frame and the loop goes on with the next.
template <class Step> void runGuarded(Step step) noexcept {
    try {
        step();
    } catch (...) {
    }
}

} // namespace

void runScript() noexcept {
    runGuarded(loadSettings);
    for (;;) {
        runGuarded([] {
            runDueActions();
            ProcessDragging();
        });
        runGuarded([] { scriptWait(0); });
    }
}
