#include "settings/settings.h"

#include "settings/ini_reader.h"
#include "settings/number_text.h"
#include "settings/resolve_control.h"

#include <cmath>
#include <optional>
#include <type_traits>
#include <utility>

SettingsRecord Settings;

namespace {

void loadControl(IniSection& section, const char* key, std::uint32_t& target) {
    if (hasKey(section, key)) {
        const std::uint32_t control = resolveControl(valueOf(section, key));
        if (control != NoControl) {
            target = control;
        }
    }
}

void loadText(IniSection& section, const char* key, std::string& target) {
    if (hasKey(section, key)) {
        target = valueOf(section, key);
    }
}

void loadInteger(IniSection& section, const char* key, std::int32_t& target) {
    if (hasKey(section, key)) {
        if (const auto number = parseDecimalInt32(valueOf(section, key))) {
            target = *number;
        }
    }
}

enum class FloatValues { Any, FiniteOnly };

// Infinity and NaN parse as numbers. A radius may be either (an infinite one has
// no distance limit, NaN finds nothing), but a grab distance that is not finite
// would put the player at a position that is not finite, so there only finite
// values are taken.
void loadFloat(IniSection& section, const char* key, float& target, FloatValues allowed) {
    if (hasKey(section, key)) {
        const auto number = parseFloat32(valueOf(section, key));
        if (number && (allowed == FloatValues::Any || std::isfinite(*number))) {
            target = *number;
        }
    }
}

void loadFromFile(SettingsRecord& settings) {
    IniDocument document;
    if (!readIniDocument("Pallbrook.ini", document)) {
        return;
    }
    IniSection& section = sectionNamed(document, "Pallbrook");

    loadControl(section, "DragInput", settings.DragInput);
    // The drop prompt uses DragInput's control; a DropInput value is resolved the
    // same way but has no setting of its own to go to.
    std::uint32_t dropInput = controlHash("INPUT_PUSH_TO_TALK");
    loadControl(section, "DropInput", dropInput);
    loadText(section, "DragText", settings.DragText);
    loadText(section, "DropText", settings.DropText);
    loadInteger(section, "HoldTime", settings.HoldTime);
    loadInteger(section, "PickupAnimDuration", settings.PickupAnimDuration);
    loadInteger(section, "PutdownAnimDuration", settings.PutdownAnimDuration);
    loadFloat(section, "DetectionRadius", settings.DetectionRadius, FloatValues::Any);
    loadFloat(section, "SnapDistFeet", settings.SnapDistFeet, FloatValues::FiniteOnly);
    loadFloat(section, "SnapDistHead", settings.SnapDistHead, FloatValues::FiniteOnly);
}

} // namespace

void loadSettings() noexcept {
    // The values are gathered in a copy that replaces the record only when the
    // whole load has worked, so a failure part way (such as memory running out
    // for a huge file) leaves every value in force.
    static_assert(std::is_nothrow_move_assignable_v<SettingsRecord>);
    try {
        SettingsRecord loaded = Settings;
        loadFromFile(loaded);
        Settings = std::move(loaded);
    } catch (...) {
    }
}
