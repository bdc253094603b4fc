#include "report/trace/native_kinds.h"

#include <map>

namespace pbsim {

namespace {

const std::map<std::uint64_t, NativeKinds>& table() {
    static const std::map<std::uint64_t, NativeKinds> kinds = {
        {0x4F67E8ECA7D3F667, {"", 'i'}},                 // game timer
        {0x096275889B8E0EE0, {"", 'e'}},                 // player's ped
        {0xD42BD6EB2E0F1677, {"e", 'b'}},                // entity exists
        {0x12534C348C6CB68B, {"e", 'b'}},                // ped is a player
        {0x7D5B1F88E7504BBA, {"e", 'b'}},                // entity is dead
        {0x460BC76A0E10655E, {"e", 'b'}},                // ped is riding a mount
        {0xFB92A102F1C4DFA3, {"e", 'b'}},                // ped is falling
        {0x9DE327631295B4C2, {"e", 'b'}},                // ped is swimming
        {0x997ABD671D25CA0B, {"ei", 'b'}},               // ped is in any vehicle
        {0xB655DB7582AEC805, {"e", 'b'}},                // ped is incapacitated
        {0x47E4E977581C5B55, {"e", 'b'}},                // ped is limp
        {0xA911EE21EDF69DAF, {"e", 'b'}},                // ped is carrying something
        {0x886E37EC497200B6, {"ei", 'b'}},               // player condition test
        {0x3BDFCF25B58B0415, {"e", 'i'}},                // player condition value
        {0x59643424B68D52B5, {"e", 'b'}},                // player condition test B
        {0x7EE53118C892B513, {"eii", 'b'}},              // ped config flag test
        {0xE7E11B8DCBED1058, {"e", 'e'}},                // ped's mount
        {0xEE6AD63ABF59C0B7, {"e", 'b'}},                // entity is attached
        {0x154A3C529497053E, {"ee", 'b'}},               // entity is attached to entity
        {0x56D713888A566481, {"e", 'e'}},                // entity attached to
        {0xBA208A8D6399A3AC, {"ei", 'b'}},               // body-part test
        {0xB796970BD125FCE8, {"e", 'i'}},                // prompt group of entity
        {0xA86D5F069399F44D, {"eii", 'v'}},              // entity position
        {0x06843DA7060A026B, {"efffiiii", '-'}},         // set entity position
        {0xCF2B9C0645C4651B, {"ef", '-'}},               // set entity heading
        {0x38D5202FF9271C62, {"ff", 'f'}},               // heading of direction
        {0xB7A628320EFF8E47, {"ffffff", 'f'}},           // squared distance
        {0x24FA4267BB8D2431, {"fffhi", 'b'}},            // ground height
        {0x3F428D08BE5AAE31, {"ei", 'i'}},               // bone index
        {0x17C07FC640E86B4E, {"eifff", 'v'}},            // bone position
        {0x445D7D8EA66E373E, {"eifffffffiiiiiii", '-'}}, // pin bone to point
        {0x64CDE9D6BF8ECAD3, {"eii", '-'}},              // detach entity
        {0x7D9EFB7AD6B19754, {"ei", '-'}},               // freeze entity
        {0xE037BF068223C38D, {"eei", '-'}},              // no collision
        {0xAE99FB955581844A, {"eiiiiii", '-'}},          // make ped limp
        {0xB128377056A54E2A, {"ei", '-'}},               // allow limp
        {0xA862A2AD321F94B4, {"t", '-'}},                // request anim dict
        {0x27FF6FE8009B40CA, {"t", 'b'}},                // anim dict loaded
        {0xEA47FE3719165B94, {"ettffiifiiiti", '-'}},    // play clip task
        {0xDEE49D5CA6C49148, {"etti", 'b'}},             // is playing clip
        {0x627520389E288A73, {"ett", 'f'}},              // clip phase
        {0x97FF36A1D40EA00A, {"ettf", '-'}},             // stop clip
        {0xEAA885BA3CEA4E4A, {"ettf", '-'}},             // clip speed
        {0xE1EF3C1216AFF2CD, {"eii", '-'}},              // clear tasks
        {0xAAA34F8A7CB32098, {"eii", '-'}},              // clear tasks at once
        {0xFA925AC00EB830B9, {"itt", 'g'}},              // make game string
        {0x04F97DE45A519419, {"", 'p'}},                 // begin prompt
        {0xB5352B7494A08258, {"pu", '-'}},               // prompt control
        {0x5DD02A8318420DD7, {"pg", '-'}},               // prompt label
        {0x94073D5CA3F16B7B, {"pi", '-'}},               // prompt hold time
        {0xF7AA2696A22AD8B9, {"p", '-'}},                // finish prompt
        {0x8A0FB4D03A630D21, {"pi", '-'}},               // prompt enabled
        {0x71215ACCFDE075EE, {"pi", '-'}},               // prompt visible
        {0x2F11D3A254169EA4, {"pii", '-'}},              // prompt group
        {0x00EDE88D4D13CF59, {"p", '-'}},                // delete prompt
        {0xE0F65F0640EF0617, {"p", 'b'}},                // prompt hold completed
        {0x315C81D760609108, {"efiiigi", '-'}},          // show prompt group on entity
        {0xF3A21BCD95725A4A, {"iu", 'b'}},               // control pressed
        {0xE2587F8CBBD87B1D, {"iu", 'b'}},               // control pressed while disabled
        {0x11E65974A982637C, {"iu", 'f'}},               // control value
        {0xA571D46727E2B718, {"i", 'b'}},                // input is keyboard
        {0x3A87E44BB9A01D54, {"eoiii", 'b'}},            // current weapon
        {0xFD340785ADF8CFB7, {"t", 'u'}},                // text key hash
        {0xDDC64F5E31EEDAB6, {"u", 'b'}},                // weapon class test A
        {0xC212F1D05A8232BB, {"u", 'b'}},                // weapon class test B
    };
    return kinds;
}

} // namespace

const NativeKinds* nativeKinds(std::uint64_t hash) {
    auto found = table().find(hash);
    return found != table().end() ? &found->second : nullptr;
}

} // namespace pbsim
