#include "capture/native_kinds.h"

#include <algorithm>
#include <array>

namespace {

// Sorted by hash, for a binary search without any allocation.
constexpr std::array Table = {
    NativeKinds{0x00EDE88D4D13CF59, "p", '-'},
    NativeKinds{0x04F97DE45A519419, "", 'p'},
    NativeKinds{0x06843DA7060A026B, "efffiiii", '-'},
    NativeKinds{0x096275889B8E0EE0, "", 'e'},
    NativeKinds{0x11E65974A982637C, "iu", 'f'},
    NativeKinds{0x12534C348C6CB68B, "e", 'b'},
    NativeKinds{0x154A3C529497053E, "ee", 'b'},
    NativeKinds{0x17C07FC640E86B4E, "eifff", 'v'},
    NativeKinds{0x24FA4267BB8D2431, "fffhi", 'b'},
    NativeKinds{0x27FF6FE8009B40CA, "t", 'b'},
    NativeKinds{0x2F11D3A254169EA4, "pii", '-'},
    NativeKinds{0x315C81D760609108, "efiiigi", '-'},
    NativeKinds{0x38D5202FF9271C62, "ff", 'f'},
    NativeKinds{0x3A87E44BB9A01D54, "eoiii", 'b'},
    NativeKinds{0x3BDFCF25B58B0415, "e", 'i'},
    NativeKinds{0x3F428D08BE5AAE31, "ei", 'i'},
    NativeKinds{0x445D7D8EA66E373E, "eifffffffiiiiiii", '-'},
    NativeKinds{0x460BC76A0E10655E, "e", 'b'},
    NativeKinds{0x47E4E977581C5B55, "e", 'b'},
    NativeKinds{0x4F67E8ECA7D3F667, "", 'i'},
    NativeKinds{0x56D713888A566481, "e", 'e'},
    NativeKinds{0x59643424B68D52B5, "e", 'b'},
    NativeKinds{0x5DD02A8318420DD7, "pg", '-'},
    NativeKinds{0x627520389E288A73, "ett", 'f'},
    NativeKinds{0x64CDE9D6BF8ECAD3, "eii", '-'},
    NativeKinds{0x71215ACCFDE075EE, "pi", '-'},
    NativeKinds{0x7D5B1F88E7504BBA, "e", 'b'},
    NativeKinds{0x7D9EFB7AD6B19754, "ei", '-'},
    NativeKinds{0x7EE53118C892B513, "eii", 'b'},
    NativeKinds{0x886E37EC497200B6, "ei", 'b'},
    NativeKinds{0x8A0FB4D03A630D21, "pi", '-'},
    NativeKinds{0x94073D5CA3F16B7B, "pi", '-'},
    NativeKinds{0x97FF36A1D40EA00A, "ettf", '-'},
    NativeKinds{0x997ABD671D25CA0B, "ei", 'b'},
    NativeKinds{0x9DE327631295B4C2, "e", 'b'},
    NativeKinds{0xA571D46727E2B718, "i", 'b'},
    NativeKinds{0xA862A2AD321F94B4, "t", '-'},
    NativeKinds{0xA86D5F069399F44D, "eii", 'v'},
    NativeKinds{0xA911EE21EDF69DAF, "e", 'b'},
    NativeKinds{0xAAA34F8A7CB32098, "eii", '-'},
    NativeKinds{0xAE99FB955581844A, "eiiiiii", '-'},
    NativeKinds{0xB128377056A54E2A, "ei", '-'},
    NativeKinds{0xB5352B7494A08258, "pu", '-'},
    NativeKinds{0xB655DB7582AEC805, "e", 'b'},
    NativeKinds{0xB796970BD125FCE8, "e", 'i'},
    NativeKinds{0xB7A628320EFF8E47, "ffffff", 'f'},
    NativeKinds{0xBA208A8D6399A3AC, "ei", 'b'},
    NativeKinds{0xC212F1D05A8232BB, "u", 'b'},
    NativeKinds{0xCF2B9C0645C4651B, "ef", '-'},
    NativeKinds{0xD42BD6EB2E0F1677, "e", 'b'},
    NativeKinds{0xDDC64F5E31EEDAB6, "u", 'b'},
    NativeKinds{0xDEE49D5CA6C49148, "etti", 'b'},
    NativeKinds{0xE037BF068223C38D, "eei", '-'},
    NativeKinds{0xE0F65F0640EF0617, "p", 'b'},
    NativeKinds{0xE1EF3C1216AFF2CD, "eii", '-'},
    NativeKinds{0xE2587F8CBBD87B1D, "iu", 'b'},
    NativeKinds{0xE7E11B8DCBED1058, "e", 'e'},
    NativeKinds{0xEA47FE3719165B94, "ettffiifiiiti", '-'},
    NativeKinds{0xEAA885BA3CEA4E4A, "ettf", '-'},
    NativeKinds{0xEE6AD63ABF59C0B7, "e", 'b'},
    NativeKinds{0xF3A21BCD95725A4A, "iu", 'b'},
    NativeKinds{0xF7AA2696A22AD8B9, "p", '-'},
    NativeKinds{0xFA925AC00EB830B9, "itt", 'g'},
    NativeKinds{0xFB92A102F1C4DFA3, "e", 'b'},
    NativeKinds{0xFD340785ADF8CFB7, "t", 'u'},
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
