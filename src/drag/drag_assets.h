// The game's assets that the drag feature names: the animation dictionaries
// and clips it plays, the bone filters of those clips, the bone tags of the
// hands and feet it holds a body by, and the weapon that means empty hands.
// The tools and tests that look for them use these names too.
#pragma once

#include <cstdint>

namespace assets {

// The pick-up: the player reaches down to the body.
inline constexpr const char* PickupDict = "mech_ransack@chest@med@open@normal@b";
inline constexpr const char* PickupClip = "enter_rf";
// The put-down: the player lets go and straightens up.
inline constexpr const char* PutdownDict = "script_re@burning_bodies";
inline constexpr const char* PutdownClip = "breakout_fwd_undertaker";
// The drag itself, walked backwards with the body.
inline constexpr const char* DragClipDict = "ai_combat@drag_ped@base";
inline constexpr const char* DragClip = "injured_drag_plyr";

// Bone filters: the clip leaves both hands to the grip, or, one-handed, the
// right arm to the weapon as well.
inline constexpr const char* BothHandsFilter = "nohands_filter";
inline constexpr const char* OneHandedFilter = "norightarm_filter";
inline constexpr const char* NoFilter = "";

// Bone tags, the same on every ped's skeleton. The player holds the body by
// the left hand always and by the right hand too unless one-handed.
inline constexpr std::int32_t LeftHandBone = 34606;
inline constexpr std::int32_t RightHandBone = 22798;
inline constexpr std::int32_t LeftFootBone = 45454;
inline constexpr std::int32_t RightFootBone = 33646;

// The weapon "held" by an empty hand.
inline constexpr const char* UnarmedWeapon = "WEAPON_UNARMED";

} // namespace assets
