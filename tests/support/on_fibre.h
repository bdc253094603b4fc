// Runs a piece of plugin code on a script fibre of the stand-in host, where
// native calls are allowed.
#pragma once

#include "sim/fibre.h"

#include <functional>
#include <utility>

inline std::function<void()>& fibreBody() {
    static std::function<void()> body;
    return body;
}

inline void runOnFibre(std::function<void()> body) {
    fibreBody() = std::move(body);
    sim::ScriptFibre fibre([] { fibreBody()(); });
    fibre.resume();
    fibreBody() = nullptr;
}
