#include "printing/names.h"

#include "printing/format.h"

#include "drag/drag_assets.h"
#include "settings/control_names.h"
#include "sim/world/text_hash.h"
#include "sim/world/weapons.h"

#include <charconv>
#include <span>

namespace simtool {

namespace {

std::optional<std::uint32_t> parseHex(std::string_view text) {
    if (text.size() < 3 || text.size() > 10 || text[0] != '0' ||
        (text[1] != 'x' && text[1] != 'X')) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    auto digits = text.substr(2);
    auto result = std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
    if (result.ec != std::errc{} || result.ptr != digits.data() + digits.size()) {
        return std::nullopt;
    }
    return value;
}

const std::map<std::uint32_t, std::string>& controlsByHash() {
    static const std::map<std::uint32_t, std::string> table = [] {
        std::map<std::uint32_t, std::string> byHash;
        for (const auto& [name, hash] : ControlNameTable) {
            byHash.emplace(hash, name);
        }
        return byHash;
    }();
    return table;
}

std::map<std::uint32_t, std::string>& weaponsByHash() {
    static std::map<std::uint32_t, std::string> table = [] {
        std::map<std::uint32_t, std::string> byHash;
        byHash.emplace(sim::textKeyHash(assets::UnarmedWeapon), assets::UnarmedWeapon);
        for (const auto& names : {std::span(sim::RevolverWeapons), std::span(sim::PistolWeapons)}) {
            for (const char* name : names) {
                byHash.emplace(sim::textKeyHash(name), name);
            }
        }
        return byHash;
    }();
    return table;
}

} // namespace

std::optional<std::uint32_t> parseControl(std::string_view text) {
    if (auto hash = parseHex(text)) {
        return hash;
    }
    return findControl(text);
}

std::string controlName(std::uint32_t hash) {
    auto found = controlsByHash().find(hash);
    return found != controlsByHash().end() ? found->second : hexWord(hash);
}

std::optional<std::uint32_t> parseWeapon(std::string_view text) {
    if (auto hash = parseHex(text)) {
        return hash;
    }
    if (text.empty()) {
        return std::nullopt;
    }
    for (char c : text) {
        bool ok = (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
        if (!ok) {
            return std::nullopt;
        }
    }
    std::uint32_t hash = sim::textKeyHash(text);
    weaponsByHash().emplace(hash, std::string(text));
    return hash;
}

std::string weaponName(std::uint32_t hash) {
    auto found = weaponsByHash().find(hash);
    return found != weaponsByHash().end() ? found->second : controlName(hash);
}

std::string hashName(std::uint32_t hash) {
    if (controlsByHash().contains(hash)) {
        return controlName(hash);
    }
    return weaponName(hash);
}

void PedNames::add(std::int32_t handle, const std::string& name) {
    names_[handle] = name;
    handles_[name] = handle;
}

std::optional<std::int32_t> PedNames::handle(const std::string& name) const {
    auto found = handles_.find(name);
    return found != handles_.end() ? std::optional(found->second) : std::nullopt;
}

std::string PedNames::name(std::int32_t handle) const {
    auto found = names_.find(handle);
    return found != names_.end() ? found->second : "#" + std::to_string(handle);
}

PedNames& pedNames() {
    static PedNames names;
    return names;
}

} // namespace simtool
