// One typed way to call a game native: callNative<Result>(hash, args...).
// Arguments become 64-bit words: 32-bit integers, booleans and handles
// zero-extended, floats as their bit pattern in the low half, texts and
// out-parameter slots as addresses, 64-bit values unchanged.
#pragma once

#include "plugin/host_api.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

using NativeHash = std::uint64_t;
using EntityHandle = std::int32_t;

// A position as natives return it: each float is followed by four unused bytes.
struct Vector3 {
    float x = 0.0f;
    std::uint32_t unusedX = 0;
    float y = 0.0f;
    std::uint32_t unusedY = 0;
    float z = 0.0f;
    std::uint32_t unusedZ = 0;
};
static_assert(sizeof(Vector3) == 24);
static_assert(offsetof(Vector3, y) == 8 && offsetof(Vector3, z) == 16);

// A text handle made by the game; handed back to other natives unchanged.
struct GameString {
    std::uint64_t value = 0;
};

template <class T> std::uint64_t encodeNativeArg(T value) {
    if constexpr (std::is_same_v<T, GameString>) {
        return value.value;
    } else if constexpr (std::is_same_v<T, float>) {
        return std::bit_cast<std::uint32_t>(value);
    } else if constexpr (std::is_same_v<T, bool>) {
        return value ? 1u : 0u;
    } else if constexpr (std::is_pointer_v<T>) {
        return reinterpret_cast<std::uintptr_t>(value);
    } else if constexpr (std::is_integral_v<T> && sizeof(T) == 8) {
        return static_cast<std::uint64_t>(value);
    } else if constexpr (std::is_integral_v<T> || std::is_enum_v<T>) {
        static_assert(sizeof(T) <= 4);
        // Zero-extended: -1 goes as 0x00000000FFFFFFFF.
        return static_cast<std::uint32_t>(value);
    } else {
        static_assert(sizeof(T) == 0, "no native encoding for this argument type");
    }
}

template <class R> R decodeNativeResult(const unsigned long long* result) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(result);
    if constexpr (std::is_same_v<R, Vector3>) {
        Vector3 v;
        std::memcpy(&v.x, bytes + 0, sizeof(float));
        std::memcpy(&v.y, bytes + 8, sizeof(float));
        std::memcpy(&v.z, bytes + 16, sizeof(float));
        return v;
    } else if constexpr (std::is_same_v<R, GameString>) {
        GameString s;
        std::memcpy(&s.value, bytes, sizeof(s.value));
        return s;
    } else if constexpr (std::is_same_v<R, bool>) {
        std::uint32_t word = 0;
        std::memcpy(&word, bytes, sizeof(word));
        return word != 0;
    } else {
        static_assert(sizeof(R) == 4 || sizeof(R) == 8, "no native decoding for this result type");
        R value{};
        std::memcpy(&value, bytes, sizeof(R));
        return value;
    }
}

template <class R = void, class... Args> R callNative(NativeHash hash, Args... args) {
    nativeInit(hash);
    (nativePush64(encodeNativeArg(args)), ...);
    unsigned long long* result = nativeCall();
    if constexpr (std::is_void_v<R>) {
        (void)result;
    } else {
        return decodeNativeResult<R>(result);
    }
}
