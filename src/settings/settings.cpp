#include "settings/settings.h"

SettingsRecord Settings;

// Placeholder until the settings file reader lands: the defaults stay.
void loadSettings() noexcept {}
