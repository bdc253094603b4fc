#include "fibre.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

// mingw-w64's inline GetCurrentFiber reads the thread block in a way that
// GCC 12 mistakes for an out-of-bounds access.
#pragma GCC diagnostic ignored "-Warray-bounds"

namespace sim {

namespace {
thread_local ScriptFibre* runningFibre = nullptr;
}

struct ScriptFibre::Impl {
    LPVOID fibre = nullptr;
    LPVOID host = nullptr;

    static void CALLBACK start(LPVOID parameter) {
        auto* self = static_cast<ScriptFibre*>(parameter);
        self->entry_();
        self->finished_ = true;
        // A Windows fibre must never return: hand control back for good.
        SwitchToFiber(self->impl_->host);
    }
};

ScriptFibre::ScriptFibre(FibreEntry entry, std::size_t stackSize)
    : impl_(std::make_unique<Impl>()), entry_(entry) {
    impl_->fibre = CreateFiber(stackSize, &Impl::start, this);
}

ScriptFibre::~ScriptFibre() {
    if (impl_->fibre != nullptr) {
        DeleteFiber(impl_->fibre);
    }
}

void ScriptFibre::resume() {
    if (finished_ || running_ || impl_->fibre == nullptr) {
        return;
    }
    // The host thread must itself be a fibre before it can switch to one.
    LPVOID host = IsThreadAFiber() ? GetCurrentFiber() : ConvertThreadToFiber(nullptr);
    impl_->host = host;
    ScriptFibre* previous = runningFibre;
    runningFibre = this;
    running_ = true;
    SwitchToFiber(impl_->fibre);
    running_ = false;
    runningFibre = previous;
}

void ScriptFibre::yieldToHost() {
    SwitchToFiber(impl_->host);
}

ScriptFibre* currentFibre() {
    return runningFibre;
}

} // namespace sim
