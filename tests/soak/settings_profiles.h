// The settings a soak run plays with: the defaults, and extremes (zero and
// negative durations and hold time, zero, negative and wide radius, empty
// labels, odd snap distances), applied directly or through a Pallbrook.ini.
#pragma once

#include "settings/settings.h"
#include "soak/rng.h"

#include <string>

namespace soak {

struct SettingsProfile {
    const char* name;
    SettingsRecord values;
};

SettingsProfile pickProfile(Rng& rng);

// The profile as a Pallbrook.ini that loadSettings reads back to the same
// values.
std::string iniText(const SettingsRecord& values);

} // namespace soak
