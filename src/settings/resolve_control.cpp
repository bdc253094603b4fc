#include "settings/resolve_control.h"

#include "settings/control_names.h"
#include "settings/number_text.h"

std::uint32_t resolveControl(std::string_view text) {
    if (const auto named = findControl(text); named && *named != NoControl) {
        return *named;
    }
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        return parseHexUint32(text.substr(2)).value_or(NoControl);
    }
    if (const auto number = parseDecimalInt32(text)) {
        return static_cast<std::uint32_t>(*number);
    }
    return NoControl;
}
