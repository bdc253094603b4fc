// The table of game control names that a settings file may use instead of a
// control hash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

// Hash and equality that let the table be searched with a string_view without
// building a std::string first.
struct ControlNameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view name) const noexcept {
        return std::hash<std::string_view>{}(name);
    }
};

using ControlMap = std::unordered_map<std::string, std::uint32_t, ControlNameHash, std::equal_to<>>;

// Control name to control hash, built during static initialisation and only read
// afterwards.
extern const ControlMap ControlNameTable;

// The control hash stored for exactly this name (case-sensitive, no trimming),
// or nothing.
std::optional<std::uint32_t> findControl(std::string_view name);
