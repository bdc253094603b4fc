#include "capture/layer/native_kinds.h"

#include "plugin/native_list.h"

#include <algorithm>
#include <array>

namespace {

// Sorted by hash, for a binary search without any allocation.
constexpr auto sortedByHash(auto table) {
    std::sort(table.begin(), table.end(),
              [](const NativeKinds& a, const NativeKinds& b) { return a.hash < b.hash; });
    return table;
}

#define PALLBROOK_NATIVE_KINDS(name, hash, args, result, role) NativeKinds{hash, args, result},
constexpr auto Table = sortedByHash(std::array{PALLBROOK_NATIVES(PALLBROOK_NATIVE_KINDS)});
#undef PALLBROOK_NATIVE_KINDS

constexpr bool eachHashOnce() {
    for (std::size_t i = 1; i < Table.size(); ++i) {
        if (Table[i - 1].hash == Table[i].hash) {
            return false;
        }
    }
    return true;
}
static_assert(eachHashOnce(), "a native is listed twice");

constexpr bool everyKindKnown() {
    for (const NativeKinds& native : Table) {
        if (native.args.size() > MaxNativeArgs || wordKind(native.result) == WordKind::Unknown) {
            return false;
        }
        for (char letter : native.args) {
            const WordKind kind = wordKind(letter);
            if (kind == WordKind::Unknown || kind == WordKind::None || kind == WordKind::Vector) {
                return false;
            }
        }
    }
    return true;
}
static_assert(everyKindKnown(), "a native's kinds use a letter that is not an argument's");

} // namespace

const NativeKinds* findNativeKinds(std::uint64_t hash) {
    const auto found =
        std::lower_bound(Table.begin(), Table.end(), hash,
                         [](const NativeKinds& k, std::uint64_t h) { return k.hash < h; });
    return found != Table.end() && found->hash == hash ? &*found : nullptr;
}
