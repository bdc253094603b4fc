// The tuning values of the plugin, read from Pallbrook.ini when the script starts.
#pragma once

#include "settings/control_hash.h"

#include <cstdint>
#include <string>

struct SettingsRecord {
    std::uint32_t DragInput = controlHash("INPUT_PUSH_TO_TALK");
    std::string DragText = "Drag";
    std::string DropText = "Drop";
    std::int32_t HoldTime = 500;
    std::int32_t PickupAnimDuration = 1000;
    std::int32_t PutdownAnimDuration = 800;
    float DetectionRadius = 2.0f;
    float SnapDistFeet = 0.55f;
    float SnapDistHead = 1.1f;
};

extern SettingsRecord Settings;

// Reads "Pallbrook.ini" from the working directory; values that the file gives
// in a usable form replace those in force. Never throws.
void loadSettings() noexcept;
