#include "host.h"

#include "host_functions.h"

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

void requireFibre(const char* what) {
    if (currentFibre() == nullptr) {
        reportError(std::string(what) + " called outside the script fibre");
    }
}

} // namespace

Host& host() {
    if (theHost == nullptr) {
        theHost = new Host();
    }
    return *theHost;
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

bool inPluginCode() { return currentFibre() != nullptr && hostCallDepth == 0; }

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
    HostCallScope scope;
    sim::requireFibre("scriptWait");
    if (ms != 0) {
        sim::reportError("scriptWait(" + std::to_string(ms) + "): the plugin always waits 0");
    }
    if (host().callOpen) {
        sim::reportError("scriptWait inside an open native call");
    }
    if (auto* fibre = sim::currentFibre()) {
        fibre->yieldToHost();
    }
}

void nativeInit(unsigned long long hash) {
    HostCallScope scope;
    sim::requireFibre("nativeInit");
    auto& h = host();
    if (h.callOpen) {
        sim::reportError("nativeInit(" + sim::hex(hash) + ") while native " +
                         sim::hex(h.pending.hash) + " was still open");
    }
    h.callOpen = true;
    h.pending = sim::NativeCall{};
    h.pending.frame = h.frame;
    h.pending.hash = hash;
}

void nativePush64(unsigned long long value) {
    HostCallScope scope;
    auto& h = host();
    if (!h.callOpen) {
        sim::reportError("nativePush64 without nativeInit");
        return;
    }
    if (h.pending.args.count == sim::MaxNativeArgs) {
        sim::reportError("native " + sim::hex(h.pending.hash) + ": too many argument words");
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
    sim::NativeCall call = h.pending;
    auto found = h.natives.find(call.hash);
    if (found == h.natives.end()) {
        sim::reportError("unknown native " + sim::hex(call.hash) + " with words " +
                         sim::describeWords(call.args));
    } else if (found->second.arity != call.args.count) {
        sim::reportError("native " + sim::hex(call.hash) + " (" + found->second.role + ") takes " +
                         std::to_string(found->second.arity) + " words, got " +
                         std::to_string(call.args.count) + ": " + sim::describeWords(call.args));
    } else if (found->second.handler) {
        found->second.handler(call.args, call.result);
    }
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
    if (!h.listPeds) {
        return 0;
    }
    return h.listPeds(array, arraySize);
}

#ifndef _WIN32
// The system tick count, as the stand-in host keeps it.
std::uint32_t GetTickCount() { return host().tickCount; }
#endif
