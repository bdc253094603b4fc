// How to read the argument words and the result of each native the plugin
// calls, as plugin/native_list.h gives them (the letters are explained
// there). The capture layer uses it to record texts by their content and
// out-parameter slots by what they held after the call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

struct NativeKinds {
    std::uint64_t hash;
    std::string_view args;
    char result;
};

// The kinds of this native, or null for one the plugin does not call.
const NativeKinds* findNativeKinds(std::uint64_t hash);

// What a word holds, told from its kind letter: the one reading of the
// letters, for the capture layer and for the tools that print calls.
enum class WordKind {
    Unknown,    // a letter not in the list, or a native not in it
    None,       // -  no result
    Int32,      // i
    Bool,       // b  true/false as an int32
    Float,      // f
    Vector,     // v  three floats
    Entity,     // e
    Prompt,     // p
    Hash,       // u  a control or weapon hash
    Text,       // t  a pointer to a text
    GameString, // g
    HashSlot,   // o  a pointer to a uint32 the native writes
    FloatSlot,  // h  a pointer to a float the native writes
};

// The letters in the order of WordKind, from None on.
constexpr WordKind wordKind(char letter) {
    const std::size_t at = std::string_view("-ibfveputgoh").find(letter);
    return at == std::string_view::npos ? WordKind::Unknown : static_cast<WordKind>(at + 1);
}

// Result words the native gives: 3 for a Vector3, 0 for none, else 1.
constexpr std::size_t resultWordCount(char result) {
    switch (wordKind(result)) {
    case WordKind::Vector:
        return 3;
    case WordKind::None:
        return 0;
    default:
        return 1;
    }
}

constexpr bool isTextArg(char kind) {
    return wordKind(kind) == WordKind::Text;
}
constexpr bool isSlotArg(char kind) {
    return wordKind(kind) == WordKind::HashSlot || wordKind(kind) == WordKind::FloatSlot;
}
