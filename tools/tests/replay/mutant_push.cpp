// The change of the mutant plugin, at its host seam.
#undef nativeInit
#undef nativePush64
#undef scriptWait
#include "plugin/host_api.h"
#include "plugin/natives.h"

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {
constexpr unsigned long long PlayClipTask = natives::PlayClipTask;
unsigned long long hashNow = 0;
int argumentNow = 0;
const bool waitsChanged = [] {
    const char* mutant = std::getenv("PALLBROOK_MUTANT");
    return mutant != nullptr && std::string_view(mutant) == "wait";
}();
} // namespace

void mutantScriptWait(unsigned long ms) {
    scriptWait(waitsChanged ? 1 : ms);
}

void mutantNativeInit(unsigned long long hash) {
    hashNow = hash;
    argumentNow = 0;
    nativeInit(hash);
}

void mutantNativePush64(unsigned long long value) {
    if (!waitsChanged && hashNow == PlayClipTask && argumentNow == 3 &&
        value == std::bit_cast<std::uint32_t>(4.0f)) {
        value = std::bit_cast<std::uint32_t>(5.0f);
    }
    ++argumentNow;
    nativePush64(value);
}
