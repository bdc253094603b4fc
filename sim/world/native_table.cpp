#include "sim/world/native_table.h"

#include "sim/world/answers.h"

#include "plugin/native_list.h"

namespace sim {

namespace {

// Each native of the list with the answer of the same name: a native without
// an answer does not link, and an answer for a native not in the list does
// not compile (answers.h declares one per native, and the answers files are
// built with -Wmissing-declarations).
#define PALLBROOK_WORLD_NATIVE(name, hash, args, result, role)                                     \
    WorldNative{hash, role, args, result, answers::name},
constexpr WorldNative Natives[] = {PALLBROOK_NATIVES(PALLBROOK_WORLD_NATIVE)};
#undef PALLBROOK_WORLD_NATIVE

} // namespace

std::span<const WorldNative> worldNatives() {
    return Natives;
}

const WorldNative* findWorldNative(std::uint64_t hash) {
    for (const auto& native : Natives) {
        if (native.hash == hash) {
            return &native;
        }
    }
    return nullptr;
}

} // namespace sim
