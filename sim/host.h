// The stand-in for ScriptHookRDR2: it runs the plugin's script on a fibre,
// delivers keyboard messages, records every native call and answers it
// through a handler registered for the native's hash.
#pragma once

#include "fibre.h"

#include "plugin/native_list.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

struct HINSTANCE__;

namespace sim {

using ScriptEntry = void (*)();
using KeyboardHandler = void (*)(unsigned long, unsigned short, unsigned char, int, int, int, int);

using ::MaxNativeArgs;

// The arguments of one native call, with readers for each encoding.
struct NativeArgs {
    std::array<std::uint64_t, MaxNativeArgs> words{};
    std::size_t count = 0;

    std::uint64_t word(std::size_t i) const { return words.at(i); }
    std::int32_t i32(std::size_t i) const { return static_cast<std::int32_t>(u32(i)); }
    std::uint32_t u32(std::size_t i) const { return static_cast<std::uint32_t>(word(i)); }
    bool flag(std::size_t i) const { return u32(i) != 0; }
    float f32(std::size_t i) const {
        std::uint32_t bits = u32(i);
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    const char* text(std::size_t i) const { return reinterpret_cast<const char*>(word(i)); }
    template <class T> T* slot(std::size_t i) const { return reinterpret_cast<T*>(word(i)); }
    std::span<const std::uint64_t> all() const { return {words.data(), count}; }
};

// The result buffer handed back to the plugin: room for a Vector3.
struct NativeResult {
    alignas(8) std::array<std::uint64_t, 3> words{};

    std::int32_t i32() const {
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(words[0]));
    }
    // Word i as a float: the result's float, or one of a Vector3's.
    float f32(std::size_t i = 0) const {
        const auto bits = static_cast<std::uint32_t>(words.at(i));
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }

    void setI32(std::int32_t v) { setU32(static_cast<std::uint32_t>(v)); }
    void setU32(std::uint32_t v) { words[0] = v; }
    void setBool(bool v) { words[0] = v ? 1u : 0u; }
    void setF32(float v) {
        std::uint32_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        words[0] = bits;
    }
    void setU64(std::uint64_t v) { words[0] = v; }
    void setVector(float x, float y, float z) {
        words = {};
        std::memcpy(&words[0], &x, sizeof x);
        std::memcpy(&words[1], &y, sizeof y);
        std::memcpy(&words[2], &z, sizeof z);
    }
};

using NativeHandler = std::function<void(const NativeArgs&, NativeResult&)>;

struct NativeEntry {
    std::string role;
    std::size_t arity = 0;
    NativeHandler handler;
};

struct NativeCall {
    std::int64_t frame = 0;
    std::uint64_t hash = 0;
    NativeArgs args;
    NativeResult result;
};

// What the plugin did to the host outside native calls, in order.
struct HostEvent {
    enum class Kind { ScriptRegister, ScriptUnregister, KeyboardRegister, KeyboardUnregister };
    Kind kind;
    HINSTANCE__* module = nullptr;
    ScriptEntry script = nullptr;
    KeyboardHandler keyboard = nullptr;
};

struct Host {
    // Registrations.
    HINSTANCE__* scriptModule = nullptr;
    ScriptEntry script = nullptr;
    KeyboardHandler keyboard = nullptr;
    std::vector<HostEvent> events;

    // Natives.
    std::unordered_map<std::uint64_t, NativeEntry> natives;
    // When set, it answers every native call instead of the table, whatever
    // the hash and the number of words (a replay checks those itself).
    std::function<void(std::uint64_t, const NativeArgs&, NativeResult&)> answerEvery;
    std::vector<NativeCall> calls;
    bool recordCalls = true;
    std::function<void(const NativeCall&)> onCall;
    // Told of the other two events of a frame: each ped list with the handles
    // written (as many as the list returned, within the room given), and the
    // wait that ends the frame.
    std::function<void(std::span<const int>)> onPedList;
    std::function<void()> onWait;

    // Faults: every one fails the test that caused it.
    std::vector<std::string> errors;

    // The world list of peds.
    std::function<int(int*, int)> listPeds;

    // Frames and time.
    std::int64_t frame = 0;
    std::uint32_t tickCount = 0;
    std::vector<std::function<void()>> beforeFrame;

    // The running script.
    std::unique_ptr<ScriptFibre> fibre;

    // The call under construction.
    bool callOpen = false;
    NativeCall pending;
    NativeResult lastResult;
};

Host& host();

// Forgets every registration, handler, record and the script fibre.
void resetHost();

void defineNative(std::uint64_t hash, std::string role, std::size_t arity, NativeHandler handler);

// Runs one game frame: the before-frame hooks, then the script until it waits.
// Starts the registered script on a fresh fibre the first time. False when no
// script is registered.
bool runFrame();
void runFrames(int count);

// Starts the registered script again from its entry on a new fibre.
void restartScript();

// Delivers one keyboard message to the registered handler, if any.
void sendKeyboardMessage(unsigned long key, unsigned short repeats, unsigned char scanCode,
                         int isExtended, int isWithAlt, int wasDownBefore, int isUpNow);

void reportError(std::string message);

// True while plugin code runs on the script fibre and not inside a host call.
bool inPluginCode();

std::string hex(std::uint64_t value);

} // namespace sim
