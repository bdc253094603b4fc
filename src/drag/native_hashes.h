// The game natives the drag feature calls, by role.
#pragma once

#include "plugin/native_call.h"

namespace natives {

// Player and entities
inline constexpr NativeHash PlayerPed = 0x096275889B8E0EE0;
inline constexpr NativeHash EntityExists = 0xD42BD6EB2E0F1677;
inline constexpr NativeHash EntityPosition = 0xA86D5F069399F44D;
inline constexpr NativeHash SetEntityHeading = 0xCF2B9C0645C4651B;
inline constexpr NativeHash DetachEntity = 0x64CDE9D6BF8ECAD3;
inline constexpr NativeHash FreezeEntity = 0x7D9EFB7AD6B19754;
inline constexpr NativeHash NoCollisionBetween = 0xE037BF068223C38D;
inline constexpr NativeHash IsAttached = 0xEE6AD63ABF59C0B7;
inline constexpr NativeHash IsAttachedTo = 0x154A3C529497053E;
inline constexpr NativeHash AttachedTo = 0x56D713888A566481;
inline constexpr NativeHash GroundHeight = 0x24FA4267BB8D2431;
inline constexpr NativeHash HeadingOfDirection = 0x38D5202FF9271C62;
inline constexpr NativeHash PedBoneIndex = 0x3F428D08BE5AAE31;
inline constexpr NativeHash BodyPartFlagged = 0xBA208A8D6399A3AC;

// Tests of a ped
inline constexpr NativeHash IsPlayer = 0x12534C348C6CB68B;
inline constexpr NativeHash IsDead = 0x7D5B1F88E7504BBA;
inline constexpr NativeHash IsRidingMount = 0x460BC76A0E10655E;
inline constexpr NativeHash IsFalling = 0xFB92A102F1C4DFA3;
inline constexpr NativeHash PlayerConditionTest = 0x886E37EC497200B6;
inline constexpr NativeHash IsSwimming = 0x9DE327631295B4C2;
inline constexpr NativeHash IsInAnyVehicle = 0x997ABD671D25CA0B;
inline constexpr NativeHash IsIncapacitated = 0xB655DB7582AEC805;
inline constexpr NativeHash PlayerConditionValue = 0x3BDFCF25B58B0415;
inline constexpr NativeHash PlayerConditionTest2 = 0x59643424B68D52B5;
inline constexpr NativeHash IsLimp = 0x47E4E977581C5B55;
inline constexpr NativeHash IsCarrying = 0xA911EE21EDF69DAF;
inline constexpr NativeHash MountOf = 0xE7E11B8DCBED1058;

// Tasks and limp state
inline constexpr NativeHash ClearTasksAtOnce = 0xAAA34F8A7CB32098;
inline constexpr NativeHash ClearTasks = 0xE1EF3C1216AFF2CD;
inline constexpr NativeHash AllowLimp = 0xB128377056A54E2A;
inline constexpr NativeHash StopClip = 0x97FF36A1D40EA00A;
inline constexpr NativeHash ClipPhase = 0x627520389E288A73;
inline constexpr NativeHash ClipSpeed = 0xEAA885BA3CEA4E4A;
inline constexpr NativeHash RequestAnimDict = 0xA862A2AD321F94B4;
inline constexpr NativeHash AnimDictLoaded = 0x27FF6FE8009B40CA;

// Prompts and texts
inline constexpr NativeHash MakeGameString = 0xFA925AC00EB830B9;
inline constexpr NativeHash PromptDelete = 0x00EDE88D4D13CF59;
inline constexpr NativeHash PromptBegin = 0x04F97DE45A519419;
inline constexpr NativeHash PromptSetControl = 0xB5352B7494A08258;
inline constexpr NativeHash PromptSetLabel = 0x5DD02A8318420DD7;
inline constexpr NativeHash PromptSetHoldTime = 0x94073D5CA3F16B7B;
inline constexpr NativeHash PromptFinish = 0xF7AA2696A22AD8B9;
inline constexpr NativeHash PromptSetEnabled = 0x8A0FB4D03A630D21;
inline constexpr NativeHash PromptSetVisible = 0x71215ACCFDE075EE;
inline constexpr NativeHash PromptGroupOf = 0xB796970BD125FCE8;
inline constexpr NativeHash PromptSetGroup = 0x2F11D3A254169EA4;
inline constexpr NativeHash PromptHoldCompleted = 0xE0F65F0640EF0617;

// Weapons and input
inline constexpr NativeHash CurrentWeapon = 0x3A87E44BB9A01D54;
inline constexpr NativeHash TextKeyHash = 0xFD340785ADF8CFB7;
inline constexpr NativeHash WeaponClassTestA = 0xDDC64F5E31EEDAB6;
inline constexpr NativeHash WeaponClassTestB = 0xC212F1D05A8232BB;
inline constexpr NativeHash ControlPressed = 0xF3A21BCD95725A4A;
inline constexpr NativeHash ControlPressedWhileDisabled = 0xE2587F8CBBD87B1D;
inline constexpr NativeHash InputIsKeyboard = 0xA571D46727E2B718;
inline constexpr NativeHash ControlValue = 0x11E65974A982637C;

// Natives with a typed wrapper of their own (anim_calls.h)
inline constexpr NativeHash DistanceSquared = 0xB7A628320EFF8E47;
inline constexpr NativeHash PedConfigFlag = 0x7EE53118C892B513;
inline constexpr NativeHash IsPlayingClip = 0xDEE49D5CA6C49148;
inline constexpr NativeHash PinBoneToPoint = 0x445D7D8EA66E373E;
inline constexpr NativeHash SetEntityPosition = 0x06843DA7060A026B;
inline constexpr NativeHash ShowPromptGroupOnEntity = 0x315C81D760609108;
inline constexpr NativeHash MakePedLimp = 0xAE99FB955581844A;
inline constexpr NativeHash PedBonePosition = 0x17C07FC640E86B4E;
inline constexpr NativeHash PlayClipTask = 0xEA47FE3719165B94;

} // namespace natives
