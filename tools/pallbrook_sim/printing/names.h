// Names for what the game knows by number: peds by the scenario's names,
// controls by the control table, weapons by their text keys.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace simtool {

// A control given as a name from the control table or as a hash "0x...".
std::optional<std::uint32_t> parseControl(std::string_view text);
// The control's name, or its hash in hex.
std::string controlName(std::uint32_t hash);

// A weapon given as a text key ("WEAPON_REVOLVER_CATTLEMAN") or a hash "0x...";
// named weapons are remembered for weaponName.
std::optional<std::uint32_t> parseWeapon(std::string_view text);
std::string weaponName(std::uint32_t hash);

// A hash shown by name when it is a known control or weapon, else in hex.
std::string hashName(std::uint32_t hash);

// The scenario's names of the peds in the world.
class PedNames {
  public:
    void add(std::int32_t handle, const std::string& name);
    std::optional<std::int32_t> handle(const std::string& name) const;
    // The name, or "#handle" for a ped the scenario did not name.
    std::string name(std::int32_t handle) const;
    bool known(std::int32_t handle) const { return names_.contains(handle); }

  private:
    std::map<std::int32_t, std::string> names_;
    std::map<std::string, std::int32_t> handles_;
};

PedNames& pedNames();

} // namespace simtool
