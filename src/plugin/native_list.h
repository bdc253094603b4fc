// Every native the plugin calls, once: the name the code uses, the hash, the
// kinds of its argument words and of its result, and its role in plain words.
// Everything that knows a native is made from this list: the plugin's hash
// constants (plugin/natives.h, which keeps only the hashes), the capture
// layer's table of kinds, the stand-in world's table of answers, and the
// names and decoding that the tools print. Adding a native is a line here and
// its answer in the world.
//
// NATIVE(name, hash, argument kinds, result kind, role): one letter per
// argument word, in the order the plugin pushes them.
//   e entity handle   i int32          u hash (control or weapon)
//   f float           t text pointer   g game string
//   p prompt handle   o pointer to a uint32 the native writes
//   h pointer to a float the native writes
// Results: - none, i int32, b true/false as int32, f float, v Vector3,
// e entity handle, p prompt handle, u hash, g game string.
#pragma once

#include <cstddef>

// The most argument words one native call may carry, in the stand-in host and
// in a capture; the natives below take at most 16.
inline constexpr std::size_t MaxNativeArgs = 32;

// clang-format off
#define PALLBROOK_NATIVES(NATIVE) \
    /* Time. */ \
    NATIVE(GameTimer, 0x4F67E8ECA7D3F667, "", 'i', "game timer") \
    /* The player and the state of peds. */ \
    NATIVE(PlayerPed, 0x096275889B8E0EE0, "", 'e', "player's ped") \
    NATIVE(EntityExists, 0xD42BD6EB2E0F1677, "e", 'b', "entity exists") \
    NATIVE(IsPlayer, 0x12534C348C6CB68B, "e", 'b', "ped is a player") \
    NATIVE(IsDead, 0x7D5B1F88E7504BBA, "e", 'b', "entity is dead") \
    NATIVE(IsRidingMount, 0x460BC76A0E10655E, "e", 'b', "ped is riding a mount") \
    NATIVE(IsFalling, 0xFB92A102F1C4DFA3, "e", 'b', "ped is falling") \
    NATIVE(IsSwimming, 0x9DE327631295B4C2, "e", 'b', "ped is swimming") \
    NATIVE(IsInAnyVehicle, 0x997ABD671D25CA0B, "ei", 'b', "ped is in any vehicle") \
    NATIVE(IsIncapacitated, 0xB655DB7582AEC805, "e", 'b', "ped is incapacitated") \
    NATIVE(IsLimp, 0x47E4E977581C5B55, "e", 'b', "ped is limp") \
    NATIVE(IsCarrying, 0xA911EE21EDF69DAF, "e", 'b', "ped is carrying something") \
    NATIVE(PlayerConditionTest, 0x886E37EC497200B6, "ei", 'b', "player condition test") \
    NATIVE(PlayerConditionValue, 0x3BDFCF25B58B0415, "e", 'i', "player condition value") \
    NATIVE(PlayerConditionTestB, 0x59643424B68D52B5, "e", 'b', "player condition test B") \
    NATIVE(PedConfigFlag, 0x7EE53118C892B513, "eii", 'b', "ped config flag test") \
    NATIVE(MountOf, 0xE7E11B8DCBED1058, "e", 'e', "ped's mount") \
    NATIVE(IsAttached, 0xEE6AD63ABF59C0B7, "e", 'b', "entity is attached") \
    NATIVE(IsAttachedTo, 0x154A3C529497053E, "ee", 'b', "entity is attached to entity") \
    NATIVE(AttachedTo, 0x56D713888A566481, "e", 'e', "entity attached to") \
    NATIVE(BodyPartFlagged, 0xBA208A8D6399A3AC, "ei", 'b', "body-part test") \
    NATIVE(PromptGroupOf, 0xB796970BD125FCE8, "e", 'i', "prompt group of entity") \
    /* Where things are and how bodies are held. */ \
    NATIVE(EntityPosition, 0xA86D5F069399F44D, "eii", 'v', "entity position") \
    NATIVE(SetEntityPosition, 0x06843DA7060A026B, "efffiiii", '-', "set entity position") \
    NATIVE(SetEntityHeading, 0xCF2B9C0645C4651B, "ef", '-', "set entity heading") \
    NATIVE(HeadingOfDirection, 0x38D5202FF9271C62, "ff", 'f', "heading of direction") \
    NATIVE(DistanceSquared, 0xB7A628320EFF8E47, "ffffff", 'f', "squared distance") \
    NATIVE(GroundHeight, 0x24FA4267BB8D2431, "fffhi", 'b', "ground height") \
    NATIVE(PedBoneIndex, 0x3F428D08BE5AAE31, "ei", 'i', "bone index") \
    NATIVE(PedBonePosition, 0x17C07FC640E86B4E, "eifff", 'v', "bone position") \
    NATIVE(PinBoneToPoint, 0x445D7D8EA66E373E, "eifffffffiiiiiii", '-', "pin bone to point") \
    NATIVE(DetachEntity, 0x64CDE9D6BF8ECAD3, "eii", '-', "detach entity") \
    NATIVE(FreezeEntity, 0x7D9EFB7AD6B19754, "ei", '-', "freeze entity") \
    NATIVE(NoCollisionBetween, 0xE037BF068223C38D, "eei", '-', "no collision") \
    NATIVE(MakePedLimp, 0xAE99FB955581844A, "eiiiiii", '-', "make ped limp") \
    NATIVE(AllowLimp, 0xB128377056A54E2A, "ei", '-', "allow limp") \
    /* Animation. */ \
    NATIVE(RequestAnimDict, 0xA862A2AD321F94B4, "t", '-', "request anim dict") \
    NATIVE(AnimDictLoaded, 0x27FF6FE8009B40CA, "t", 'b', "anim dict loaded") \
    NATIVE(PlayClipTask, 0xEA47FE3719165B94, "ettffiifiiiti", '-', "play clip task") \
    NATIVE(IsPlayingClip, 0xDEE49D5CA6C49148, "etti", 'b', "is playing clip") \
    NATIVE(ClipPhase, 0x627520389E288A73, "ett", 'f', "clip phase") \
    NATIVE(StopClip, 0x97FF36A1D40EA00A, "ettf", '-', "stop clip") \
    NATIVE(ClipSpeed, 0xEAA885BA3CEA4E4A, "ettf", '-', "clip speed") \
    NATIVE(ClearTasks, 0xE1EF3C1216AFF2CD, "eii", '-', "clear tasks") \
    NATIVE(ClearTasksAtOnce, 0xAAA34F8A7CB32098, "eii", '-', "clear tasks at once") \
    /* Prompts and game strings. */ \
    NATIVE(MakeGameString, 0xFA925AC00EB830B9, "itt", 'g', "make game string") \
    NATIVE(PromptBegin, 0x04F97DE45A519419, "", 'p', "begin prompt") \
    NATIVE(PromptSetControl, 0xB5352B7494A08258, "pu", '-', "prompt control") \
    NATIVE(PromptSetLabel, 0x5DD02A8318420DD7, "pg", '-', "prompt label") \
    NATIVE(PromptSetHoldTime, 0x94073D5CA3F16B7B, "pi", '-', "prompt hold time") \
    NATIVE(PromptFinish, 0xF7AA2696A22AD8B9, "p", '-', "finish prompt") \
    NATIVE(PromptSetEnabled, 0x8A0FB4D03A630D21, "pi", '-', "prompt enabled") \
    NATIVE(PromptSetVisible, 0x71215ACCFDE075EE, "pi", '-', "prompt visible") \
    NATIVE(PromptSetGroup, 0x2F11D3A254169EA4, "pii", '-', "prompt group") \
    NATIVE(PromptDelete, 0x00EDE88D4D13CF59, "p", '-', "delete prompt") \
    NATIVE(PromptHoldCompleted, 0xE0F65F0640EF0617, "p", 'b', "prompt hold completed") \
    NATIVE(ShowPromptGroupOnEntity, 0x315C81D760609108, "efiiigi", '-', "show prompt group on entity") \
    /* Input, weapons and text keys. */ \
    NATIVE(ControlPressed, 0xF3A21BCD95725A4A, "iu", 'b', "control pressed") \
    NATIVE(ControlPressedWhileDisabled, 0xE2587F8CBBD87B1D, "iu", 'b', "control pressed while disabled") \
    NATIVE(ControlValue, 0x11E65974A982637C, "iu", 'f', "control value") \
    NATIVE(InputIsKeyboard, 0xA571D46727E2B718, "i", 'b', "input is keyboard") \
    NATIVE(CurrentWeapon, 0x3A87E44BB9A01D54, "eoiii", 'b', "current weapon") \
    NATIVE(TextKeyHash, 0xFD340785ADF8CFB7, "t", 'u', "text key hash") \
    NATIVE(WeaponClassTestA, 0xDDC64F5E31EEDAB6, "u", 'b', "weapon class test A") \
    NATIVE(WeaponClassTestB, 0xC212F1D05A8232BB, "u", 'b', "weapon class test B")
// clang-format on
