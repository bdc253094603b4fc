#include "capture/native_kinds.h"

#include <algorithm>
#include <array>

namespace {

// Sorted by hash, for a binary search without any allocation.
constexpr std::array Table = {
    NativeKinds{0x00EDE88D4D13CF59, "p", '-', "delete prompt"},
    NativeKinds{0x04F97DE45A519419, "", 'p', "begin prompt"},
    NativeKinds{0x06843DA7060A026B, "efffiiii", '-', "set entity position"},
    NativeKinds{0x096275889B8E0EE0, "", 'e', "player's ped"},
    NativeKinds{0x11E65974A982637C, "iu", 'f', "control value"},
    NativeKinds{0x12534C348C6CB68B, "e", 'b', "ped is a player"},
    NativeKinds{0x154A3C529497053E, "ee", 'b', "entity is attached to entity"},
    NativeKinds{0x17C07FC640E86B4E, "eifff", 'v', "bone position"},
    NativeKinds{0x24FA4267BB8D2431, "fffhi", 'b', "ground height"},
    NativeKinds{0x27FF6FE8009B40CA, "t", 'b', "anim dict loaded"},
    NativeKinds{0x2F11D3A254169EA4, "pii", '-', "prompt group"},
    NativeKinds{0x315C81D760609108, "efiiigi", '-', "show prompt group on entity"},
    NativeKinds{0x38D5202FF9271C62, "ff", 'f', "heading of direction"},
    NativeKinds{0x3A87E44BB9A01D54, "eoiii", 'b', "current weapon"},
    NativeKinds{0x3BDFCF25B58B0415, "e", 'i', "player condition value"},
    NativeKinds{0x3F428D08BE5AAE31, "ei", 'i', "bone index"},
    NativeKinds{0x445D7D8EA66E373E, "eifffffffiiiiiii", '-', "pin bone to point"},
    NativeKinds{0x460BC76A0E10655E, "e", 'b', "ped is riding a mount"},
    NativeKinds{0x47E4E977581C5B55, "e", 'b', "ped is limp"},
    NativeKinds{0x4F67E8ECA7D3F667, "", 'i', "game timer"},
    NativeKinds{0x56D713888A566481, "e", 'e', "entity attached to"},
    NativeKinds{0x59643424B68D52B5, "e", 'b', "player condition test B"},
    NativeKinds{0x5DD02A8318420DD7, "pg", '-', "prompt label"},
    NativeKinds{0x627520389E288A73, "ett", 'f', "clip phase"},
    NativeKinds{0x64CDE9D6BF8ECAD3, "eii", '-', "detach entity"},
    NativeKinds{0x71215ACCFDE075EE, "pi", '-', "prompt visible"},
    NativeKinds{0x7D5B1F88E7504BBA, "e", 'b', "entity is dead"},
    NativeKinds{0x7D9EFB7AD6B19754, "ei", '-', "freeze entity"},
    NativeKinds{0x7EE53118C892B513, "eii", 'b', "ped config flag test"},
    NativeKinds{0x886E37EC497200B6, "ei", 'b', "player condition test"},
    NativeKinds{0x8A0FB4D03A630D21, "pi", '-', "prompt enabled"},
    NativeKinds{0x94073D5CA3F16B7B, "pi", '-', "prompt hold time"},
    NativeKinds{0x97FF36A1D40EA00A, "ettf", '-', "stop clip"},
    NativeKinds{0x997ABD671D25CA0B, "ei", 'b', "ped is in any vehicle"},
    NativeKinds{0x9DE327631295B4C2, "e", 'b', "ped is swimming"},
    NativeKinds{0xA571D46727E2B718, "i", 'b', "input is keyboard"},
    NativeKinds{0xA862A2AD321F94B4, "t", '-', "request anim dict"},
    NativeKinds{0xA86D5F069399F44D, "eii", 'v', "entity position"},
    NativeKinds{0xA911EE21EDF69DAF, "e", 'b', "ped is carrying something"},
    NativeKinds{0xAAA34F8A7CB32098, "eii", '-', "clear tasks at once"},
    NativeKinds{0xAE99FB955581844A, "eiiiiii", '-', "make ped limp"},
    NativeKinds{0xB128377056A54E2A, "ei", '-', "allow limp"},
    NativeKinds{0xB5352B7494A08258, "pu", '-', "prompt control"},
    NativeKinds{0xB655DB7582AEC805, "e", 'b', "ped is incapacitated"},
    NativeKinds{0xB796970BD125FCE8, "e", 'i', "prompt group of entity"},
    NativeKinds{0xB7A628320EFF8E47, "ffffff", 'f', "squared distance"},
    NativeKinds{0xBA208A8D6399A3AC, "ei", 'b', "body-part test"},
    NativeKinds{0xC212F1D05A8232BB, "u", 'b', "weapon class test B"},
    NativeKinds{0xCF2B9C0645C4651B, "ef", '-', "set entity heading"},
    NativeKinds{0xD42BD6EB2E0F1677, "e", 'b', "entity exists"},
    NativeKinds{0xDDC64F5E31EEDAB6, "u", 'b', "weapon class test A"},
    NativeKinds{0xDEE49D5CA6C49148, "etti", 'b', "is playing clip"},
    NativeKinds{0xE037BF068223C38D, "eei", '-', "no collision"},
    NativeKinds{0xE0F65F0640EF0617, "p", 'b', "prompt hold completed"},
    NativeKinds{0xE1EF3C1216AFF2CD, "eii", '-', "clear tasks"},
    NativeKinds{0xE2587F8CBBD87B1D, "iu", 'b', "control pressed while disabled"},
    NativeKinds{0xE7E11B8DCBED1058, "e", 'e', "ped's mount"},
    NativeKinds{0xEA47FE3719165B94, "ettffiifiiiti", '-', "play clip task"},
    NativeKinds{0xEAA885BA3CEA4E4A, "ettf", '-', "clip speed"},
    NativeKinds{0xEE6AD63ABF59C0B7, "e", 'b', "entity is attached"},
    NativeKinds{0xF3A21BCD95725A4A, "iu", 'b', "control pressed"},
    NativeKinds{0xF7AA2696A22AD8B9, "p", '-', "finish prompt"},
    NativeKinds{0xFA925AC00EB830B9, "itt", 'g', "make game string"},
    NativeKinds{0xFB92A102F1C4DFA3, "e", 'b', "ped is falling"},
    NativeKinds{0xFD340785ADF8CFB7, "t", 'u', "text key hash"},
};

constexpr bool sortedByHash() {
    for (std::size_t i = 1; i < Table.size(); ++i) {
        if (Table[i - 1].hash >= Table[i].hash) {
            return false;
        }
    }
    return true;
}
static_assert(sortedByHash());

} // namespace

const NativeKinds* findNativeKinds(std::uint64_t hash) {
    const auto found =
        std::lower_bound(Table.begin(), Table.end(), hash,
                         [](const NativeKinds& k, std::uint64_t h) { return k.hash < h; });
    return found != Table.end() && found->hash == hash ? &*found : nullptr;
}

std::size_t resultWordCount(char result) {
    switch (result) {
    case 'v':
        return 3;
    case '-':
        return 0;
    default:
        return 1;
    }
}
