#include "deferred/deferred_actions.h"

#include "plugin/native_call.h"
#include "plugin/natives.h"

#include <utility>

DeferredActionQueue DeferredActions;

namespace {
std::int32_t wrappingAdd(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}
// The game timer in milliseconds.
std::int32_t gameTimer() {
    return callNative<std::int32_t>(natives::GameTimer);
}

} // namespace

void scheduleAction(std::int32_t delay, std::function<void()> action) {
    const std::int32_t due = wrappingAdd(gameTimer(), delay);
    DeferredActions.pending.push_back(DeferredAction{due, std::move(action)});
}

void runDueActions() {
    const std::int32_t now = gameTimer();
    auto& main = DeferredActions.main;
    std::size_t position = 0;
    while (position < main.size()) {
        if (now < main[position].due) {
            ++position;
            continue;
        }
        // The entry leaves the list before its own copy runs, so the action may
        // schedule or clear freely.
        std::function<void()> action = std::move(main[position].action);
        main.erase(main.begin() + static_cast<std::ptrdiff_t>(position));
        if (action) {
            action();
        }
        if (main.empty()) {
            break;
        }
    }
    auto& pending = DeferredActions.pending;
    if (!pending.empty()) {
        for (auto& entry : pending) {
            main.push_back(std::move(entry));
        }
        pending.clear();
    }
}

void clearActions() {
    DeferredActions.main.clear();
    DeferredActions.pending.clear();
}
