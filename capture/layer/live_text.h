// A text argument as the capture layer reads it at the seam: up to its NUL,
// and no further than MaxLiveTextRead bytes (a text without its end within
// them is kept cut there). The replay reads what the plugin passes now the
// same way.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

namespace capture {

inline constexpr std::size_t MaxLiveTextRead = 4096;

inline std::string_view liveText(const char* text) {
    return {text, strnlen(text, MaxLiveTextRead)};
}

} // namespace capture
