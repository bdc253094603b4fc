#include "soak/settings_profiles.h"

#include "settings/control_hash.h"

#include <cstdio>

namespace soak {

namespace {

SettingsRecord with(void (*change)(SettingsRecord&)) {
    SettingsRecord values;
    change(values);
    return values;
}

} // namespace

SettingsProfile pickProfile(Rng& rng) {
    switch (rng.below(9)) {
    case 0:
        return {"zero durations and hold time", with([](SettingsRecord& s) {
                    s.HoldTime = 0;
                    s.PickupAnimDuration = 0;
                    s.PutdownAnimDuration = 0;
                })};
    case 1:
        return {"negative durations, hold time and radius", with([](SettingsRecord& s) {
                    s.HoldTime = -250;
                    s.PickupAnimDuration = -1000;
                    s.PutdownAnimDuration = -2147483647;
                    s.DetectionRadius = -2.5f;
                })};
    case 2:
        return {"zero radius", with([](SettingsRecord& s) { s.DetectionRadius = 0.0f; })};
    case 3:
        return {"empty labels, another control", with([](SettingsRecord& s) {
                    s.DragText = "";
                    s.DropText = "";
                    s.DragInput = controlHash("INPUT_DUCK");
                })};
    case 4:
        return {"wide radius, long clips", with([](SettingsRecord& s) {
                    s.DetectionRadius = 8.0f;
                    s.HoldTime = 1500;
                    s.PickupAnimDuration = 3000;
                    s.PutdownAnimDuration = 2500;
                })};
    case 5:
        return {"zero and negative snap distances", with([](SettingsRecord& s) {
                    s.SnapDistFeet = 0.0f;
                    s.SnapDistHead = -1.0f;
                    s.HoldTime = 1;
                })};
    case 6:
        return {"huge durations", with([](SettingsRecord& s) {
                    s.PickupAnimDuration = 2147483647;
                    s.PutdownAnimDuration = 2000000000;
                    s.HoldTime = 2147483647;
                })};
    default:
        return {"defaults", SettingsRecord{}};
    }
}

std::string iniText(const SettingsRecord& s) {
    char numbers[256];
    std::snprintf(numbers, sizeof numbers,
                  "HoldTime=%d\nPickupAnimDuration=%d\nPutdownAnimDuration=%d\n"
                  "DetectionRadius=%.9g\nSnapDistFeet=%.9g\nSnapDistHead=%.9g\n",
                  s.HoldTime, s.PickupAnimDuration, s.PutdownAnimDuration,
                  static_cast<double>(s.DetectionRadius), static_cast<double>(s.SnapDistFeet),
                  static_cast<double>(s.SnapDistHead));
    char control[32];
    std::snprintf(control, sizeof control, "0x%08X", static_cast<unsigned>(s.DragInput));
    return std::string("[Pallbrook]\nDragInput=") + control + "\nDragText=" + s.DragText +
           "\nDropText=" + s.DropText + "\n" + numbers;
}

} // namespace soak
