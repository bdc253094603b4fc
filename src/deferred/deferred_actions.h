// Callables that each run once, when the game timer reaches their due time.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

struct DeferredAction {
    std::int32_t due = 0;
    std::function<void()> action;
};

// New entries wait in `pending` until the end of a run pass, so a pass never
// runs what was scheduled during it.
struct DeferredActionQueue {
    std::vector<DeferredAction> main;
    std::vector<DeferredAction> pending;
};

extern DeferredActionQueue DeferredActions;

void scheduleAction(std::int32_t delay, std::function<void()> action);
void runDueActions();
void clearActions();
