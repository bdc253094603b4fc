#include "host.h"

#include "host_functions.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace sim {

namespace {

Host* theHost = nullptr;
thread_local int hostCallDepth = 0;

// Marks the time spent inside a host function, so that what the host itself
// allocates is not counted against the plugin.
struct HostCallScope {
    HostCallScope() { ++hostCallDepth; }
    ~HostCallScope() { --hostCallDepth; }
    HostCallScope(const HostCallScope&) = delete;
    HostCallScope& operator=(const HostCallScope&) = delete;
};

std::string describeWords(const NativeArgs& args) {
    std::string text = "[";
    for (std::size_t i = 0; i < args.count; ++i) {
        text += (i ? ", " : "") + hex(args.words[i]);
    }
    return text + "]";
}

// The faults of the native call functions, kept out of their way: every call
// of the plugin goes through them.
[[gnu::cold, gnu::noinline]] void reportUnknownNative(std::uint64_t hash, const NativeArgs& args) {
    reportError("unknown native " + hex(hash) + " with words " + describeWords(args));
}

[[gnu::cold, gnu::noinline]] void reportWrongArity(std::uint64_t hash, const NativeEntry& entry,
                                                   const NativeArgs& args) {
    reportError("native " + hex(hash) + " (" + entry.role + ") takes " +
                std::to_string(entry.arity) + " words, got " + std::to_string(args.count) + ": " +
                describeWords(args));
}

[[gnu::cold, gnu::noinline]] void reportOutsideFibre(const char* what) {
    reportError(std::string(what) + " called outside the script fibre");
}

[[gnu::cold, gnu::noinline]] void reportInitWhileOpen(std::uint64_t hash, std::uint64_t open) {
    reportError("nativeInit(" + hex(hash) + ") while native " + hex(open) + " was still open");
}

[[gnu::cold, gnu::noinline]] void reportPushFault(const Host& h) {
    if (!h.callOpen) {
        reportError("nativePush64 without nativeInit");
    } else {
        reportError("native " + hex(h.pending.hash) + ": too many argument words");
    }
}

[[gnu::cold, gnu::noinline]] Host& makeHost() {
    theHost = new Host();
    return *theHost;
}

// Lets the native's handler answer; a fault when the native is unknown or
// was given another number of words than it takes.
void answer(Host& h, std::uint64_t hash, const NativeArgs& args, NativeResult& result) {
    if (h.answerEvery) {
        h.answerEvery(hash, args, result);
        return;
    }
    auto found = h.natives.find(hash);
    if (found == h.natives.end()) {
        reportUnknownNative(hash, args);
    } else if (found->second.arity != args.count) {
        reportWrongArity(hash, found->second, args);
    } else if (found->second.handler) {
        found->second.handler(args, result);
    }
}

void requireFibre(const char* what) {
    if (currentFibre() == nullptr) {
        reportOutsideFibre(what);
    }
}

} // namespace

Host& host() {
    return theHost != nullptr ? *theHost : makeHost();
}

void resetHost() {
    Host& h = host();
    if (h.fibre && h.fibre->running()) {
        reportError("resetHost called from the script fibre");
        return;
    }
    delete theHost;
    theHost = new Host();
}

void defineNative(std::uint64_t hash, std::string role, std::size_t arity, NativeHandler handler) {
    host().natives[hash] = NativeEntry{std::move(role), arity, std::move(handler)};
}

bool runFrame() {
    Host& h = host();
    if (h.script == nullptr) {
        return false;
    }
    ++h.frame;
    for (auto& hook : h.beforeFrame) {
        hook();
    }
    if (!h.fibre) {
        h.fibre = std::make_unique<ScriptFibre>(h.script);
    }
    h.fibre->resume();
    if (h.fibre->finished()) {
        reportError("the script entry returned; it must loop for ever");
    }
    return true;
}

void runFrames(int count) {
    for (int i = 0; i < count; ++i) {
        runFrame();
    }
}

void restartScript() {
    Host& h = host();
    h.fibre.reset();
}

void sendKeyboardMessage(unsigned long key, unsigned short repeats, unsigned char scanCode,
                         int isExtended, int isWithAlt, int wasDownBefore, int isUpNow) {
    if (auto handler = host().keyboard) {
        handler(key, repeats, scanCode, isExtended, isWithAlt, wasDownBefore, isUpNow);
    }
}

void reportError(std::string message) {
    Host& h = host();
    h.errors.push_back("frame " + std::to_string(h.frame) + ": " + std::move(message));
}

bool inPluginCode() {
    return currentFibre() != nullptr && hostCallDepth == 0;
}

std::string hex(std::uint64_t value) {
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "0x%llX", static_cast<unsigned long long>(value));
    return buffer;
}

} // namespace sim

using sim::host;
using sim::HostCallScope;
using sim::HostEvent;

void scriptRegister(HINSTANCE__* module, void (*entry)()) {
    HostCallScope scope;
    auto& h = host();
    h.scriptModule = module;
    h.script = entry;
    h.events.push_back({HostEvent::Kind::ScriptRegister, module, entry, nullptr});
}

void scriptUnregister(HINSTANCE__* module) {
    HostCallScope scope;
    auto& h = host();
    if (module == h.scriptModule) {
        h.script = nullptr;
        h.scriptModule = nullptr;
    }
    h.events.push_back({HostEvent::Kind::ScriptUnregister, module, nullptr, nullptr});
}

void keyboardHandlerRegister(void (*handler)(unsigned long, unsigned short, unsigned char, int, int,
                                             int, int)) {
    HostCallScope scope;
    auto& h = host();
    h.keyboard = handler;
    h.events.push_back({HostEvent::Kind::KeyboardRegister, nullptr, nullptr, handler});
}

void keyboardHandlerUnregister(void (*handler)(unsigned long, unsigned short, unsigned char, int,
                                               int, int, int)) {
    HostCallScope scope;
    auto& h = host();
    if (handler == h.keyboard) {
        h.keyboard = nullptr;
    }
    h.events.push_back({HostEvent::Kind::KeyboardUnregister, nullptr, nullptr, handler});
}

void scriptWait(unsigned long ms) {
    {
        HostCallScope scope;
        sim::requireFibre("scriptWait");
        if (ms != 0) {
            sim::reportError("scriptWait(" + std::to_string(ms) + "): the plugin always waits 0");
        }
        if (host().callOpen) {
            sim::reportError("scriptWait inside an open native call");
        }
        if (host().onWait) {
            host().onWait();
        }
    }
    // The host call ends before the fibre yields: a fibre that is never
    // resumed (a reset host, a restarted script) must not leave the count of
    // host calls raised, or no later plugin code would count as such.
    if (auto* fibre = sim::currentFibre()) {
        fibre->yieldToHost();
    }
}

void nativeInit(unsigned long long hash) {
    HostCallScope scope;
    sim::requireFibre("nativeInit");
    auto& h = host();
    if (h.callOpen) {
        sim::reportInitWhileOpen(hash, h.pending.hash);
    }
    h.callOpen = true;
    // As good as a fresh record: only the words of the last call can be non-zero.
    sim::NativeCall& call = h.pending;
    std::fill_n(call.args.words.begin(), call.args.count, 0u);
    call.args.count = 0;
    call.result = {};
    call.frame = h.frame;
    call.hash = hash;
}

void nativePush64(unsigned long long value) {
    HostCallScope scope;
    auto& h = host();
    if (!h.callOpen || h.pending.args.count == sim::MaxNativeArgs) {
        sim::reportPushFault(h);
        return;
    }
    h.pending.args.words[h.pending.args.count++] = value;
}

unsigned long long* nativeCall() {
    HostCallScope scope;
    sim::requireFibre("nativeCall");
    auto& h = host();
    if (!h.callOpen) {
        sim::reportError("nativeCall without nativeInit");
        h.lastResult = {};
        return reinterpret_cast<unsigned long long*>(h.lastResult.words.data());
    }
    h.callOpen = false;
    // Answered in place: the record is copied only when someone keeps it.
    const sim::NativeCall& call = h.pending;
    sim::answer(h, call.hash, call.args, h.pending.result);
    h.lastResult = call.result;
    if (h.onCall) {
        h.onCall(call);
    }
    if (h.recordCalls) {
        h.calls.push_back(call);
    }
    return reinterpret_cast<unsigned long long*>(h.lastResult.words.data());
}

int worldGetAllPeds(int* array, int arraySize) {
    HostCallScope scope;
    sim::requireFibre("worldGetAllPeds");
    auto& h = host();
    const int returned = h.listPeds ? h.listPeds(array, arraySize) : 0;
    if (h.onPedList) {
        const int written = std::clamp(returned, 0, std::max(arraySize, 0));
        h.onPedList({array, static_cast<std::size_t>(written)});
    }
    return returned;
}

#ifndef _WIN32
// The system tick count, as the stand-in host keeps it.
std::uint32_t GetTickCount() {
    return host().tickCount;
}
#endif
