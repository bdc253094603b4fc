#include "sim/world/native_table.h"

#include "sim/world/answers.h"

namespace sim {

namespace {

namespace a = answers;

constexpr WorldNative Natives[] = {
    // Time.
    {0x4F67E8ECA7D3F667, "game timer", 0, a::gameTimer},

    // The player and the state of peds.
    {0x096275889B8E0EE0, "player's ped", 0, a::playerPed},
    {0xD42BD6EB2E0F1677, "entity exists", 1, a::entityExists},
    {0x12534C348C6CB68B, "ped is a player", 1, a::isPlayer},
    {0x7D5B1F88E7504BBA, "entity is dead", 1, a::isDead},
    {0x460BC76A0E10655E, "ped is riding a mount", 1, a::isRidingMount},
    {0xFB92A102F1C4DFA3, "ped is falling", 1, a::isFalling},
    {0x9DE327631295B4C2, "ped is swimming", 1, a::isSwimming},
    {0x997ABD671D25CA0B, "ped is in any vehicle", 2, a::isInVehicle},
    {0xB655DB7582AEC805, "ped is incapacitated", 1, a::isIncapacitated},
    {0x47E4E977581C5B55, "ped is limp", 1, a::isLimp},
    {0xA911EE21EDF69DAF, "ped is carrying something", 1, a::isCarrying},
    {0x886E37EC497200B6, "player condition test", 2, a::conditionTest},
    {0x3BDFCF25B58B0415, "player condition value", 1, a::conditionValue},
    {0x59643424B68D52B5, "player condition test B", 1, a::conditionTestB},
    {0x7EE53118C892B513, "ped config flag test", 3, a::configFlag},
    {0xE7E11B8DCBED1058, "ped's mount", 1, a::mountOf},
    {0xEE6AD63ABF59C0B7, "entity is attached", 1, a::isAttached},
    {0x154A3C529497053E, "entity is attached to entity", 2, a::isAttachedTo},
    {0x56D713888A566481, "entity attached to", 1, a::attachedTo},
    {0xBA208A8D6399A3AC, "body-part test", 2, a::bodyPartFlagged},
    {0xB796970BD125FCE8, "prompt group of entity", 1, a::promptGroupOf},

    // Where things are and how bodies are held.
    {0xA86D5F069399F44D, "entity position", 3, a::entityPosition},
    {0x06843DA7060A026B, "set entity position", 8, a::setEntityPosition},
    {0xCF2B9C0645C4651B, "set entity heading", 2, a::setEntityHeading},
    {0x38D5202FF9271C62, "heading of direction", 2, a::headingOfDirection},
    {0xB7A628320EFF8E47, "squared distance", 6, a::distanceSquared},
    {0x24FA4267BB8D2431, "ground height", 5, a::groundHeight},
    {0x3F428D08BE5AAE31, "bone index", 2, a::boneIndex},
    {0x17C07FC640E86B4E, "bone position", 5, a::bonePosition},
    {0x445D7D8EA66E373E, "pin bone to point", 16, a::pinBone},
    {0x64CDE9D6BF8ECAD3, "detach entity", 3, a::detach},
    {0x7D9EFB7AD6B19754, "freeze entity", 2, a::freeze},
    {0xE037BF068223C38D, "no collision", 3, a::noCollision},
    {0xAE99FB955581844A, "make ped limp", 7, a::makeLimp},
    {0xB128377056A54E2A, "allow limp", 2, a::allowLimp},

    // Animation.
    {0xA862A2AD321F94B4, "request anim dict", 1, a::requestDict},
    {0x27FF6FE8009B40CA, "anim dict loaded", 1, a::dictLoaded},
    {0xEA47FE3719165B94, "play clip task", 13, a::playClip},
    {0xDEE49D5CA6C49148, "is playing clip", 4, a::isPlayingClip},
    {0x627520389E288A73, "clip phase", 3, a::clipPhase},
    {0x97FF36A1D40EA00A, "stop clip", 4, a::stopClip},
    {0xEAA885BA3CEA4E4A, "clip speed", 4, a::clipSpeed},
    {0xE1EF3C1216AFF2CD, "clear tasks", 3, a::clearTasks},
    {0xAAA34F8A7CB32098, "clear tasks at once", 3, a::clearTasksAtOnce},

    // Prompts and game strings.
    {0xFA925AC00EB830B9, "make game string", 3, a::makeGameString},
    {0x04F97DE45A519419, "begin prompt", 0, a::promptBegin},
    {0xB5352B7494A08258, "prompt control", 2, a::promptSetControl},
    {0x5DD02A8318420DD7, "prompt label", 2, a::promptSetLabel},
    {0x94073D5CA3F16B7B, "prompt hold time", 2, a::promptSetHoldTime},
    {0xF7AA2696A22AD8B9, "finish prompt", 1, a::promptFinish},
    {0x8A0FB4D03A630D21, "prompt enabled", 2, a::promptSetEnabled},
    {0x71215ACCFDE075EE, "prompt visible", 2, a::promptSetVisible},
    {0x2F11D3A254169EA4, "prompt group", 3, a::promptSetGroup},
    {0x00EDE88D4D13CF59, "delete prompt", 1, a::promptDelete},
    {0xE0F65F0640EF0617, "prompt hold completed", 1, a::promptHoldCompleted},
    {0x315C81D760609108, "show prompt group on entity", 7, a::showPromptGroupOnEntity},

    // Input, weapons and text keys.
    {0xF3A21BCD95725A4A, "control pressed", 2, a::controlPressed},
    {0xE2587F8CBBD87B1D, "control pressed while disabled", 2, a::controlPressedWhileDisabled},
    {0x11E65974A982637C, "control value", 2, a::controlValue},
    {0xA571D46727E2B718, "input is keyboard", 1, a::inputIsKeyboard},
    {0x3A87E44BB9A01D54, "current weapon", 5, a::currentWeapon},
    {0xFD340785ADF8CFB7, "text key hash", 1, a::textKeyHash},
    {0xDDC64F5E31EEDAB6, "weapon class test A", 1, a::weaponClassA},
    {0xC212F1D05A8232BB, "weapon class test B", 1, a::weaponClassB},
};

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
