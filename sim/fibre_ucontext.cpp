#include "fibre.h"

#include <cstdint>
#include <cstdlib>
#include <ucontext.h>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define PALLBROOK_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PALLBROOK_ASAN 1
#endif
#endif

#ifdef PALLBROOK_ASAN
#include <sanitizer/common_interface_defs.h>
#endif

namespace sim {

namespace {
thread_local ScriptFibre* runningFibre = nullptr;
}

struct ScriptFibre::Impl {
    ucontext_t fibreContext{};
    ucontext_t hostContext{};
    std::vector<unsigned char> stack;
    [[maybe_unused]] void* fakeStack = nullptr;
    [[maybe_unused]] const void* hostStackBottom = nullptr;
    [[maybe_unused]] std::size_t hostStackSize = 0;

    static void trampoline(unsigned int high, unsigned int low) {
        auto address = (static_cast<std::uintptr_t>(high) << 32) | low;
        auto* fibre = reinterpret_cast<ScriptFibre*>(address);
#ifdef PALLBROOK_ASAN
        __sanitizer_finish_switch_fiber(nullptr, &fibre->impl_->hostStackBottom,
                                        &fibre->impl_->hostStackSize);
#endif
        fibre->entry_();
        fibre->finished_ = true;
#ifdef PALLBROOK_ASAN
        __sanitizer_start_switch_fiber(nullptr, fibre->impl_->hostStackBottom,
                                       fibre->impl_->hostStackSize);
#endif
        // Returning resumes the host through uc_link.
    }
};

ScriptFibre::ScriptFibre(FibreEntry entry, std::size_t stackSize)
    : impl_(std::make_unique<Impl>()), entry_(entry) {
    impl_->stack.resize(stackSize);
    getcontext(&impl_->fibreContext);
    impl_->fibreContext.uc_stack.ss_sp = impl_->stack.data();
    impl_->fibreContext.uc_stack.ss_size = impl_->stack.size();
    impl_->fibreContext.uc_link = &impl_->hostContext;
    auto address = reinterpret_cast<std::uintptr_t>(this);
    makecontext(&impl_->fibreContext, reinterpret_cast<void (*)()>(&Impl::trampoline), 2,
                static_cast<unsigned int>(address >> 32),
                static_cast<unsigned int>(address & 0xFFFFFFFFu));
}

// A fibre that never finished is abandoned: its stack is freed without
// unwinding, as a host that stops resuming a script does.
ScriptFibre::~ScriptFibre() = default;

void ScriptFibre::resume() {
    if (finished_ || running_) {
        return;
    }
    ScriptFibre* previous = runningFibre;
    runningFibre = this;
    running_ = true;
#ifdef PALLBROOK_ASAN
    __sanitizer_start_switch_fiber(&impl_->fakeStack, impl_->stack.data(), impl_->stack.size());
#endif
    swapcontext(&impl_->hostContext, &impl_->fibreContext);
#ifdef PALLBROOK_ASAN
    __sanitizer_finish_switch_fiber(impl_->fakeStack, nullptr, nullptr);
#endif
    running_ = false;
    runningFibre = previous;
}

void ScriptFibre::yieldToHost() {
#ifdef PALLBROOK_ASAN
    void* fake = nullptr;
    __sanitizer_start_switch_fiber(&fake, impl_->hostStackBottom, impl_->hostStackSize);
#endif
    swapcontext(&impl_->fibreContext, &impl_->hostContext);
#ifdef PALLBROOK_ASAN
    __sanitizer_finish_switch_fiber(fake, &impl_->hostStackBottom, &impl_->hostStackSize);
#endif
}

ScriptFibre* currentFibre() {
    return runningFibre;
}

} // namespace sim
