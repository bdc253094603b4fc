#include "play/expectations.h"

#include "printing/format.h"
#include "printing/names.h"

#include "sim/world/scene.h"
#include "sim/world/world.h"

#include <cmath>

namespace simtool {

namespace {

std::string place(const sim::Vec3& p) {
    return "(" + fixed(p.x, 3) + ", " + fixed(p.y, 3) + ", " + fixed(p.z, 3) + ")";
}

const sim::Ped* namedPed(const std::string& name) {
    auto handle = pedNames().handle(name);
    if (!handle) {
        return nullptr;
    }
    const auto& peds = sim::world().peds;
    auto found = peds.find(*handle);
    return found != peds.end() ? &found->second : nullptr;
}

void checkPrompt(const PromptExpectation& want, std::vector<std::string>& failed) {
    std::vector<sim::PromptView> shown = sim::prompts();
    if (want.none) {
        if (!shown.empty()) {
            failed.push_back("expected no prompt, found " + std::to_string(shown.size()));
        }
        return;
    }
    if (shown.size() != 1) {
        failed.push_back("expected one prompt, found " + std::to_string(shown.size()));
        return;
    }
    const sim::PromptView& p = shown.front();
    if (want.label && p.label != *want.label) {
        failed.push_back("prompt label is \"" + p.label + "\", expected \"" + *want.label + "\"");
    }
    if (want.on && pedNames().handle(*want.on) != p.entity) {
        failed.push_back("prompt stands on " + (p.entity ? pedNames().name(p.entity) : "nothing") +
                         ", expected " + *want.on);
    }
    if (want.control && p.control != *want.control) {
        failed.push_back("prompt control is " + controlName(p.control) + ", expected " +
                         controlName(*want.control));
    }
    if (want.holdMs && p.holdTimeMs != *want.holdMs) {
        failed.push_back("prompt hold time is " + std::to_string(p.holdTimeMs) + " ms, expected " +
                         std::to_string(*want.holdMs) + " ms");
    }
}

void checkPlace(const std::string& who, const sim::Vec3& at, const PointExpectation& want,
                std::vector<std::string>& failed) {
    float dx = at.x - want.x;
    float dy = at.y - want.y;
    float dz = want.z ? at.z - *want.z : 0.0f;
    float off = std::sqrt(dx * dx + dy * dy + dz * dz);
    if (!(off <= want.within)) {
        sim::Vec3 wanted{want.x, want.y, want.z.value_or(at.z)};
        failed.push_back(who + " is at " + place(at) + ", expected " + place(wanted) + " within " +
                         shortest(want.within) + " (off by " + fixed(off, 3) + ")");
    }
}

void checkClip(const Expectation::Clip& want, std::vector<std::string>& failed) {
    const sim::ClipTask& clip = sim::playerPed().clip;
    std::string playing = clip.active ? clip.clip : "";
    if (want.clip && playing != *want.clip) {
        failed.push_back("the player plays " +
                         (playing.empty() ? "no clip" : "\"" + playing + "\"") + ", expected " +
                         (want.clip->empty() ? "no clip" : "\"" + *want.clip + "\""));
        return;
    }
    if (want.filter && (!clip.active || clip.filter != *want.filter)) {
        failed.push_back("the player's clip filter is \"" + (clip.active ? clip.filter : "") +
                         "\", expected \"" + *want.filter + "\"");
    }
    if (want.speed && (!clip.active || std::fabs(clip.speed - *want.speed) > 1e-4f)) {
        failed.push_back("the player's clip speed is " + shortest(clip.speed) + ", expected " +
                         shortest(*want.speed));
    }
}

void checkBodies(const Expectation& expect, std::vector<std::string>& failed) {
    const sim::Ped& player = sim::playerPed();
    if (expect.bodyDistance) {
        const auto& want = *expect.bodyDistance;
        const sim::Ped* body = namedPed(want.body);
        if (body == nullptr) {
            failed.push_back(want.body + " is not in the world");
        } else {
            float dx = body->position.x - player.position.x;
            float dy = body->position.y - player.position.y;
            float d = std::sqrt(dx * dx + dy * dy);
            if ((want.min && d < *want.min) || (want.max && d > *want.max)) {
                failed.push_back(want.body + " is " + fixed(d, 3) + " from the player, expected " +
                                 (want.min ? "at least " + shortest(*want.min) : "") +
                                 (want.min && want.max ? " and " : "") +
                                 (want.max ? "at most " + shortest(*want.max) : ""));
            }
        }
    }
    if (expect.bodyPosition) {
        const auto& [name, want] = *expect.bodyPosition;
        if (const sim::Ped* body = namedPed(name)) {
            checkPlace(name, body->position, want, failed);
        } else {
            failed.push_back(name + " is not in the world");
        }
    }
    if (expect.bodyPins) {
        const auto& [name, count] = *expect.bodyPins;
        const sim::Ped* body = namedPed(name);
        int pins = body != nullptr ? static_cast<int>(body->pins.size()) : 0;
        if (pins != count) {
            failed.push_back(name + " has " + std::to_string(pins) + " pins, expected " +
                             std::to_string(count));
        }
    }
}

} // namespace

std::vector<std::string> checkExpectation(const Expectation& expect, DragPhase observed) {
    std::vector<std::string> failed;
    if (expect.state && observed != *expect.state) {
        failed.push_back("state is " + std::string(phaseName(observed)) + ", expected " +
                         phaseName(*expect.state));
    }
    if (expect.prompt) {
        checkPrompt(*expect.prompt, failed);
    }
    if (expect.promptCount && sim::promptCount() != *expect.promptCount) {
        failed.push_back(std::to_string(sim::promptCount()) + " prompts, expected " +
                         std::to_string(*expect.promptCount));
    }
    const sim::Ped& player = sim::playerPed();
    if (expect.playerPosition) {
        checkPlace("the player", player.position, *expect.playerPosition, failed);
    }
    if (expect.playerHeading) {
        auto [degrees, within] = *expect.playerHeading;
        if (!(std::fabs(player.heading - degrees) <= within)) {
            failed.push_back("the player's heading is " + fixed(player.heading, 3) + ", expected " +
                             shortest(degrees) + " within " + shortest(within));
        }
    }
    checkBodies(expect, failed);
    if (expect.playerClip) {
        checkClip(*expect.playerClip, failed);
    }
    return failed;
}

std::string describeMoment(const Expectation& expect) {
    std::string when;
    switch (expect.at.kind) {
    case Moment::Kind::Frame:
        when = "frame " + std::to_string(expect.at.value);
        break;
    case Moment::Kind::Time:
        when = "time " + std::to_string(expect.at.value) + " ms";
        break;
    case Moment::Kind::End:
        when = "the end";
        break;
    }
    return when + " (/expect" + expect.pointer.substr(expect.pointer.rfind('/')) + ")" +
           (expect.note.empty() ? "" : " \"" + expect.note + "\"");
}

} // namespace simtool
