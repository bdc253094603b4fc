// The weapons the world knows by name: those that pass the game's two tests
// of a one-handed weapon class, revolvers and pistols. The empty hand is the
// plugin's own (assets::UnarmedWeapon).
#pragma once

namespace sim {

inline constexpr const char* RevolverWeapons[] = {
    "WEAPON_REVOLVER_CATTLEMAN", "WEAPON_REVOLVER_SCHOFIELD", "WEAPON_REVOLVER_DOUBLEACTION",
    "WEAPON_REVOLVER_LEMAT"};
inline constexpr const char* PistolWeapons[] = {"WEAPON_PISTOL_VOLCANIC", "WEAPON_PISTOL_MAUSER",
                                                "WEAPON_PISTOL_SEMIAUTO", "WEAPON_PISTOL_M1899"};

} // namespace sim
