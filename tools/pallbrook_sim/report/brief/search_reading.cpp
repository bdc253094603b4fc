#include "report/brief/search_reading.h"

#include "printing/format.h"
#include "printing/names.h"

#include "plugin/natives.h"
#include "sim/world/native_table.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace simtool {

namespace {

// A question has an answer: a native whose result the plugin reads.
const sim::WorldNative* question(std::uint64_t hash) {
    const sim::WorldNative* native = sim::findWorldNative(hash);
    return native != nullptr && native->result != '-' ? native : nullptr;
}

std::string wordText(char kind, std::uint64_t word) {
    const auto bits = static_cast<std::uint32_t>(word);
    if (kind == 'e') {
        return bits == 0 ? "none" : pedNames().name(static_cast<std::int32_t>(bits));
    }
    if (kind == 'f') {
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return shortest(value);
    }
    if (kind == 'b') {
        return bits != 0 ? "yes" : "no";
    }
    return std::to_string(static_cast<std::int32_t>(bits));
}

// "role(other arguments) -> answer", the asked-about ped left out.
std::string questionText(const sim::WorldNative& native, const sim::NativeArgs& args,
                         const sim::NativeResult& result, std::int32_t about) {
    std::string shown;
    for (std::size_t i = 0; i < args.count && i < native.args.size(); ++i) {
        if (native.args[i] == 'e' && args.i32(i) == about) {
            continue;
        }
        shown += (shown.empty() ? "" : ", ") + wordText(native.args[i], args.word(i));
    }
    std::string text = "\"" + std::string(native.role) + "\"";
    if (!shown.empty()) {
        text += "(" + shown + ")";
    }
    return text + " answered " + wordText(native.result, result.words[0]);
}

} // namespace

void SearchReading::beginFrame() {
    listed_ = false;
    handles_.clear();
    lastAbout_.clear();
    current_ = 0;
    lastAboutPlayer_.reset();
}

void SearchReading::onPedList(std::span<const int> handles) {
    listed_ = true;
    handles_.assign(handles.begin(), handles.end());
    listedSet_ = {handles.begin(), handles.end()};
    lastAbout_.clear();
    current_ = 0;
}

void SearchReading::onCall(const sim::NativeCall& call, std::int32_t player) {
    const sim::WorldNative* native = question(call.hash);
    if (native == nullptr) {
        return;
    }
    player_ = player;
    // The ped a question is about: its first entity argument that the list
    // named, or the player; one without an entity (a distance) is about the
    // listed ped asked about last.
    std::int32_t about = 0;
    bool hasEntity = false;
    for (std::size_t i = 0; i < call.args.count && i < native->args.size(); ++i) {
        if (native->args[i] != 'e') {
            continue;
        }
        hasEntity = true;
        const std::int32_t handle = call.args.i32(i);
        if (handle == player && about == 0) {
            lastAboutPlayer_ = Question{call.hash, call.args, call.result};
        } else if (listed_ && handle != 0 && listedSet_.contains(handle)) {
            about = handle;
            break;
        }
    }
    if (about == 0 && !hasEntity) {
        about = current_;
    }
    if (about != 0) {
        current_ = about;
        lastAbout_[about] = Question{call.hash, call.args, call.result};
    }
}

std::string SearchReading::told(std::int32_t handle, const Question& q) const {
    return questionText(*question(q.hash), q.args, q.result, handle);
}

NoPromptReason SearchReading::reason(float radius) const {
    if (!listed_) {
        if (!lastAboutPlayer_) {
            return {"unsearched", "no prompt: no ped list was asked for", "nothing searched"};
        }
        const std::string asked = told(player_, *lastAboutPlayer_);
        return {"unsearched " + asked, "no prompt, nothing searched: of the player, " + asked,
                "nothing searched: " + asked};
    }
    if (lastAbout_.empty()) {
        const auto others = std::count_if(handles_.begin(), handles_.end(), [this](int handle) {
            return handle != 0 && handle != player_;
        });
        const std::string what =
            others == 0 ? "no ped listed but the player"
                        : "the game listed " + std::to_string(others) + " peds, none asked about";
        return {what, "no prompt: " + what, what};
    }
    // The nearest of those whose last question was their distance.
    std::int32_t nearest = 0;
    float nearestSquared = 0.0f;
    std::map<std::string, std::vector<std::int32_t>> byReason;
    for (const auto& [handle, q] : lastAbout_) {
        if (q.hash == natives::DistanceSquared) {
            const float squared = q.result.f32();
            if (nearest == 0 || squared < nearestSquared) {
                nearest = handle;
                nearestSquared = squared;
            }
            byReason["at their distance"].push_back(handle);
        } else {
            byReason[told(handle, q)].push_back(handle);
        }
    }
    NoPromptReason why;
    std::string text = "no prompt: " + std::to_string(lastAbout_.size()) + " listed ped" +
                       (lastAbout_.size() == 1 ? "" : "s") + " asked about";
    if (nearest != 0) {
        const std::string distance = fixed(std::sqrt(static_cast<double>(nearestSquared)), 2);
        text += "; nearest " + pedNames().name(nearest) + " is " + distance +
                " m away, DetectionRadius " + fixed(radius, 2);
        why.main = "a body no nearer than DetectionRadius";
        why.key = "nearest " + pedNames().name(nearest);
    }
    std::size_t largest = 0;
    for (const auto& [told, handles] : byReason) {
        const std::size_t others =
            told == "at their distance" ? handles.size() - 1 : handles.size();
        if (others == 0) {
            continue;
        }
        if (told == "at their distance") {
            text += "; " + std::to_string(others) + " farther";
        } else {
            text += "; " +
                    (others == 1 ? pedNames().name(handles.front()) + ": "
                                 : std::to_string(others) + " at ") +
                    told;
        }
        why.key += "|" + std::to_string(others) + " " + told;
        if (nearest == 0 && handles.size() > largest) {
            largest = handles.size();
            why.main = told;
        }
    }
    why.text = text;
    return why;
}

} // namespace simtool
