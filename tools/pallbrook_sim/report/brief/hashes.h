// The natives the observer watches, by hash.
#pragma once

#include <cstdint>

namespace pbsim::hashes {

inline constexpr std::uint64_t PlayerPed = 0x096275889B8E0EE0;
inline constexpr std::uint64_t GameTimer = 0x4F67E8ECA7D3F667;
inline constexpr std::uint64_t ShowPromptGroup = 0x315C81D760609108;
inline constexpr std::uint64_t EntityExists = 0xD42BD6EB2E0F1677;
inline constexpr std::uint64_t EntityPosition = 0xA86D5F069399F44D;
inline constexpr std::uint64_t IsDead = 0x7D5B1F88E7504BBA;
inline constexpr std::uint64_t IsRidingMount = 0x460BC76A0E10655E;
inline constexpr std::uint64_t IsFalling = 0xFB92A102F1C4DFA3;
inline constexpr std::uint64_t ConditionTest = 0x886E37EC497200B6;
inline constexpr std::uint64_t IsSwimming = 0x9DE327631295B4C2;
inline constexpr std::uint64_t IsInVehicle = 0x997ABD671D25CA0B;
inline constexpr std::uint64_t IsIncapacitated = 0xB655DB7582AEC805;
inline constexpr std::uint64_t ConditionValue = 0x3BDFCF25B58B0415;
inline constexpr std::uint64_t ConditionTestB = 0x59643424B68D52B5;
inline constexpr std::uint64_t ConfigFlag = 0x7EE53118C892B513;
inline constexpr std::uint64_t IsLimp = 0x47E4E977581C5B55;
inline constexpr std::uint64_t PromptHoldCompleted = 0xE0F65F0640EF0617;
inline constexpr std::uint64_t BonePosition = 0x17C07FC640E86B4E;
inline constexpr std::uint64_t DistanceSquared = 0xB7A628320EFF8E47;
inline constexpr std::uint64_t SetEntityPosition = 0x06843DA7060A026B;
inline constexpr std::uint64_t SetEntityHeading = 0xCF2B9C0645C4651B;
inline constexpr std::uint64_t FreezeEntity = 0x7D9EFB7AD6B19754;
inline constexpr std::uint64_t PinBone = 0x445D7D8EA66E373E;
inline constexpr std::uint64_t DetachEntity = 0x64CDE9D6BF8ECAD3;
inline constexpr std::uint64_t AllowLimp = 0xB128377056A54E2A;
inline constexpr std::uint64_t RequestDict = 0xA862A2AD321F94B4;
inline constexpr std::uint64_t DictLoaded = 0x27FF6FE8009B40CA;
inline constexpr std::uint64_t PlayClip = 0xEA47FE3719165B94;
inline constexpr std::uint64_t ClipSpeed = 0xEAA885BA3CEA4E4A;
inline constexpr std::uint64_t ClearTasks = 0xE1EF3C1216AFF2CD;
// Prompts, as the prompt book follows them.
inline constexpr std::uint64_t MakeGameString = 0xFA925AC00EB830B9;
inline constexpr std::uint64_t PromptBegin = 0x04F97DE45A519419;
inline constexpr std::uint64_t PromptSetControl = 0xB5352B7494A08258;
inline constexpr std::uint64_t PromptSetLabel = 0x5DD02A8318420DD7;
inline constexpr std::uint64_t PromptSetHoldTime = 0x94073D5CA3F16B7B;
inline constexpr std::uint64_t PromptFinish = 0xF7AA2696A22AD8B9;
inline constexpr std::uint64_t PromptSetEnabled = 0x8A0FB4D03A630D21;
inline constexpr std::uint64_t PromptSetVisible = 0x71215ACCFDE075EE;
inline constexpr std::uint64_t PromptSetGroup = 0x2F11D3A254169EA4;
inline constexpr std::uint64_t PromptDelete = 0x00EDE88D4D13CF59;
inline constexpr std::uint64_t PromptGroupOf = 0xB796970BD125FCE8;

} // namespace pbsim::hashes
