#include "report/trace/trace.h"

#include "capture/layer/native_kinds.h"
#include "printing/format.h"
#include "printing/names.h"

#include "sim/world/native_table.h"
#include "sim/world/world.h"

#include <cstring>

namespace simtool {

namespace {

float asFloat(std::uint64_t word) {
    auto bits = static_cast<std::uint32_t>(word);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

std::int32_t asI32(std::uint64_t word) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(word));
}

void appendText(std::string& out, std::uint64_t word) {
    const char* text = reinterpret_cast<const char*>(word);
    out += text != nullptr ? jsonString(text) : "null";
}

void appendPed(std::string& out, std::uint64_t word) {
    std::int32_t handle = asI32(word);
    out += pedNames().known(handle) ? jsonString(pedNames().name(handle)) : std::to_string(handle);
}

void appendGameString(std::string& out, std::uint64_t word) {
    const auto& strings = sim::world().strings;
    auto found = strings.find(word);
    out += jsonString(found != strings.end() ? found->second : hexWord(word));
}

// The argument word as it may be printed: pointers replaced by what they show.
void appendWord(std::string& out, std::uint64_t word, char kind) {
    switch (wordKind(kind)) {
    case WordKind::Text:
        out += "{\"text\":";
        appendText(out, word);
        out += '}';
        break;
    case WordKind::HashSlot:
    case WordKind::FloatSlot:
        out += word == 0 ? "null" : "\"pointer\"";
        break;
    default:
        out += '"';
        out += hexWord(word);
        out += '"';
    }
}

void appendArg(std::string& out, std::uint64_t word, char kind) {
    switch (wordKind(kind)) {
    case WordKind::Entity:
        appendPed(out, word);
        break;
    case WordKind::Float:
        out += jsonNumber(asFloat(word));
        break;
    case WordKind::Text:
        appendText(out, word);
        break;
    case WordKind::GameString:
        appendGameString(out, word);
        break;
    case WordKind::Hash:
        out += jsonString(hashName(static_cast<std::uint32_t>(word)));
        break;
    case WordKind::HashSlot:
    case WordKind::FloatSlot:
        if (word == 0) {
            out += "null";
        } else if (wordKind(kind) == WordKind::HashSlot) {
            std::uint32_t written;
            std::memcpy(&written, reinterpret_cast<const void*>(word), sizeof written);
            out += "{\"out\":" + jsonString(hashName(written)) + "}";
        } else {
            float written;
            std::memcpy(&written, reinterpret_cast<const void*>(word), sizeof written);
            out += "{\"out\":" + jsonNumber(written) + "}";
        }
        break;
    default:
        out += std::to_string(asI32(word));
    }
}

void appendResult(std::string& out, const sim::NativeResult& result, char kind) {
    switch (wordKind(kind)) {
    case WordKind::Vector:
        out += '[';
        for (std::size_t i = 0; i < 3; ++i) {
            out += i ? "," : "";
            out += jsonNumber(asFloat(result.words[i]));
        }
        out += ']';
        break;
    case WordKind::Bool:
    case WordKind::Int32:
    case WordKind::Prompt:
        out += std::to_string(asI32(result.words[0]));
        break;
    default:
        appendArg(out, result.words[0], kind);
    }
}

std::string lineStart(const TracePlace& place) {
    return "{\"frame\":" + std::to_string(place.frame) +
           ",\"event\":" + std::to_string(place.event) +
           ",\"time\":" + std::to_string(place.gameTimeMs);
}

std::string lineEnd(const TracePlace& place) {
    return place.madeUp ? ",\"made_up\":true}" : "}";
}

} // namespace

std::string pedListLine(std::span<const int> handles, const TracePlace& place) {
    std::string line = lineStart(place) + ",\"ped_list\":[";
    for (std::size_t i = 0; i < handles.size(); ++i) {
        line += i ? "," : "";
        appendPed(line, static_cast<std::uint32_t>(handles[i]));
    }
    return line + "]" + lineEnd(place);
}

std::string waitLine(const TracePlace& place) {
    return lineStart(place) + ",\"wait\":0" + lineEnd(place);
}

std::string traceLine(const sim::NativeCall& call, const TracePlace& place) {
    const sim::WorldNative* native = sim::findWorldNative(call.hash);
    bool decoded = native != nullptr && native->args.size() == call.args.count;

    std::string line;
    line.reserve(256);
    line += lineStart(place);
    line += ",\"hash\":\"";
    line += hexWord(call.hash);
    line += "\",\"native\":";
    line += jsonString(native != nullptr ? native->role : "unknown");
    line += ",\"words\":[";
    for (std::size_t i = 0; i < call.args.count; ++i) {
        line += i ? "," : "";
        appendWord(line, call.args.words[i], decoded ? native->args[i] : 'i');
    }
    line += ']';
    if (decoded) {
        line += ",\"args\":[";
        for (std::size_t i = 0; i < call.args.count; ++i) {
            line += i ? "," : "";
            appendArg(line, call.args.words[i], native->args[i]);
        }
        line += ']';
        if (native->result != '-') {
            line += ",\"result\":";
            appendResult(line, call.result, native->result);
        }
    }
    line += lineEnd(place);
    return line;
}

} // namespace simtool
