#include "trace.h"

#include "format.h"
#include "names.h"
#include "native_kinds.h"

#include "sim/world/native_table.h"
#include "sim/world/world.h"

#include <cstring>

namespace pbsim {

namespace {

float asFloat(std::uint64_t word) {
    auto bits = static_cast<std::uint32_t>(word);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

std::string textAt(std::uint64_t word) {
    const char* text = reinterpret_cast<const char*>(word);
    return text != nullptr ? jsonString(text) : "null";
}

std::string pedValue(std::uint64_t word) {
    auto handle = static_cast<std::int32_t>(static_cast<std::uint32_t>(word));
    return pedNames().known(handle) ? jsonString(pedNames().name(handle)) : std::to_string(handle);
}

std::string gameStringValue(std::uint64_t word) {
    const auto& strings = sim::world().strings;
    auto found = strings.find(word);
    return found != strings.end() ? jsonString(found->second) : jsonString(hexWord(word));
}

// The argument word as it may be printed: pointers replaced by what they show.
std::string wordText(std::uint64_t word, char kind) {
    switch (kind) {
    case 't':
        return "{\"text\":" + textAt(word) + "}";
    case 'o':
    case 'h':
        return word == 0 ? "null" : "\"pointer\"";
    default:
        return jsonString(hexWord(word));
    }
}

std::string argValue(std::uint64_t word, char kind) {
    auto i32 = static_cast<std::int32_t>(static_cast<std::uint32_t>(word));
    switch (kind) {
    case 'e':
        return pedValue(word);
    case 'f':
        return jsonNumber(asFloat(word));
    case 't':
        return textAt(word);
    case 'g':
        return gameStringValue(word);
    case 'u':
        return jsonString(hashName(static_cast<std::uint32_t>(word)));
    case 'o':
        if (word == 0) {
            return "null";
        } else {
            std::uint32_t written;
            std::memcpy(&written, reinterpret_cast<const void*>(word), sizeof written);
            return "{\"out\":" + jsonString(hashName(written)) + "}";
        }
    case 'h':
        if (word == 0) {
            return "null";
        } else {
            float written;
            std::memcpy(&written, reinterpret_cast<const void*>(word), sizeof written);
            return "{\"out\":" + jsonNumber(written) + "}";
        }
    default:
        return std::to_string(i32);
    }
}

std::string resultValue(const sim::NativeResult& result, char kind) {
    std::uint64_t word = result.words[0];
    switch (kind) {
    case 'v':
        return "[" + jsonNumber(asFloat(result.words[0])) + "," +
               jsonNumber(asFloat(result.words[1])) + "," + jsonNumber(asFloat(result.words[2])) +
               "]";
    case 'b':
    case 'i':
    case 'p':
        return std::to_string(static_cast<std::int32_t>(static_cast<std::uint32_t>(word)));
    default:
        return argValue(word, kind);
    }
}

} // namespace

std::string traceLine(const sim::NativeCall& call, std::int64_t frame, std::uint32_t gameTimeMs) {
    const sim::WorldNative* native = sim::findWorldNative(call.hash);
    const NativeKinds* kinds = nativeKinds(call.hash);
    bool decoded = kinds != nullptr && kinds->args.size() == call.args.count;

    std::string line =
        "{\"frame\":" + std::to_string(frame) + ",\"time\":" + std::to_string(gameTimeMs) +
        ",\"hash\":" + jsonString(hexWord(call.hash)) +
        ",\"native\":" + jsonString(native != nullptr ? native->role : "unknown") + ",\"words\":[";
    for (std::size_t i = 0; i < call.args.count; ++i) {
        line += (i ? "," : "") + wordText(call.args.words[i], decoded ? kinds->args[i] : 'i');
    }
    line += "]";
    if (decoded) {
        line += ",\"args\":[";
        for (std::size_t i = 0; i < call.args.count; ++i) {
            line += (i ? "," : "") + argValue(call.args.words[i], kinds->args[i]);
        }
        line += "]";
        if (kinds->result != '-') {
            line += ",\"result\":" + resultValue(call.result, kinds->result);
        }
    }
    return line + "}";
}

} // namespace pbsim
