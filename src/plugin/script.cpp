#include "plugin/script.h"

#include "deferred/deferred_actions.h"
#include "drag/process_dragging.h"
#include "plugin/host_api.h"
#include "settings/settings.h"

namespace {

// The script runs inside the game process: nothing may escape it. A step that
// fails is abandoned for this frame and the loop goes on with the next.
template <class Step> bool runGuarded(Step step) noexcept {
    try {
        step();
        return true;
    } catch (...) {
        return false;
    }
}

} // namespace

void runScript() noexcept {
    runGuarded(loadSettings);
    for (;;) {
        const bool frameCompleted = runGuarded([] {
            runDueActions();
            ProcessDragging();
        });
        if (!frameCompleted) {
            // A drag cut off half way could be left with no follow-up to end
            // it, or a prompt half made: let it go and start afresh.
            runGuarded(abandonDrag);
        }
        runGuarded([] { scriptWait(0); });
    }
}
