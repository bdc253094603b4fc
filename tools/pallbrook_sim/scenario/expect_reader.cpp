// Reading the expectations.
#include "printing/names.h"
#include "scenario/reading_context.h"

namespace simtool::reading {

namespace {

std::optional<DragPhase> readPhase(const Json& value, const std::string& pointer,
                                   Problems& problems) {
    auto text = readString(value, pointer, problems);
    if (!text) {
        return std::nullopt;
    }
    for (DragPhase phase :
         {DragPhase::Idle, DragPhase::PickingUp, DragPhase::Dragging, DragPhase::PuttingDown}) {
        if (*text == phaseName(phase)) {
            return phase;
        }
    }
    problems.add(pointer, "expected \"Idle\", \"PickingUp\", \"Dragging\" or \"PuttingDown\"");
    return std::nullopt;
}

std::optional<float> readFloat(const ObjectReader& object, std::string_view key,
                               Problems& problems) {
    const Json* value = object.find(key);
    if (value == nullptr) {
        return std::nullopt;
    }
    auto number = readNumber(*value, object.at(key), problems);
    return number ? std::optional(static_cast<float>(*number)) : std::nullopt;
}

std::optional<float> readTolerance(const ObjectReader& object, Problems& problems) {
    if (object.require("within") == nullptr) {
        return std::nullopt;
    }
    auto within = readFloat(object, "within", problems);
    if (within && *within < 0.0f) {
        problems.add(object.at("within"), "a tolerance cannot be negative");
        return std::nullopt;
    }
    return within;
}

std::optional<PromptExpectation> readPrompt(const Json& value, const std::string& pointer,
                                            Context& context) {
    Problems& problems = context.problems;
    PromptExpectation prompt;
    if (value.is_null()) {
        prompt.none = true;
        return prompt;
    }
    ObjectReader object(value, pointer, problems, {"label", "on", "control", "hold_ms"});
    if (!object.isObject()) {
        return std::nullopt;
    }
    if (const Json* label = object.find("label")) {
        prompt.label = readString(*label, object.at("label"), problems);
    }
    if (const Json* on = object.find("on")) {
        prompt.on = readString(*on, object.at("on"), problems);
        if (prompt.on) {
            context.use(*prompt.on, object.at("on"));
        }
    }
    if (const Json* control = object.find("control")) {
        if (auto text = readString(*control, object.at("control"), problems)) {
            prompt.control = parseControl(*text);
            if (!prompt.control) {
                problems.add(object.at("control"), "\"" + *text + "\" is no control name or hash");
            }
        }
    }
    if (const Json* hold = object.find("hold_ms")) {
        auto ms = readInteger(*hold, object.at("hold_ms"), problems, INT32_MIN, INT32_MAX);
        if (ms) {
            prompt.holdMs = static_cast<std::int32_t>(*ms);
        }
    }
    return prompt;
}

std::optional<PointExpectation> readPlace(const Json& value, const std::string& pointer,
                                          Context& context, std::vector<std::string_view> keys,
                                          std::string* body) {
    Problems& problems = context.problems;
    keys.insert(keys.end(), {"at", "within"});
    ObjectReader object(value, pointer, problems, keys);
    if (!object.isObject()) {
        return std::nullopt;
    }
    if (body != nullptr) {
        if (const Json* name = object.require("body")) {
            *body = readString(*name, object.at("body"), problems).value_or("");
            context.use(*body, object.at("body"));
        }
    }
    PointExpectation place;
    const Json* at = object.require("at");
    bool hasHeight = false;
    auto point =
        at != nullptr ? readPoint(*at, object.at("at"), problems, hasHeight) : std::nullopt;
    auto within = readTolerance(object, problems);
    if (!point || !within) {
        return std::nullopt;
    }
    place = {point->x, point->y, hasHeight ? std::optional(point->z) : std::nullopt, *within};
    return place;
}

void readHeading(const ObjectReader& object, Expectation& expect, Problems& problems) {
    ObjectReader heading(*object.find("player_heading"), object.at("player_heading"), problems,
                         {"degrees", "within"});
    if (!heading.isObject()) {
        return;
    }
    heading.require("degrees");
    auto degrees = readFloat(heading, "degrees", problems);
    auto within = readTolerance(heading, problems);
    if (degrees && within) {
        expect.playerHeading = std::pair(*degrees, *within);
    }
}

void readDistance(const ObjectReader& object, Expectation& expect, Context& context) {
    Problems& problems = context.problems;
    ObjectReader distance(*object.find("body_distance"), object.at("body_distance"), problems,
                          {"body", "min", "max"});
    if (!distance.isObject()) {
        return;
    }
    Expectation::Distance d;
    if (const Json* name = distance.require("body")) {
        d.body = readString(*name, distance.at("body"), problems).value_or("");
        context.use(d.body, distance.at("body"));
    }
    d.min = readFloat(distance, "min", problems);
    d.max = readFloat(distance, "max", problems);
    if (!distance.has("min") && !distance.has("max")) {
        problems.add(distance.pointer(), "give \"min\", \"max\" or both");
    }
    expect.bodyDistance = d;
}

void readPins(const ObjectReader& object, Expectation& expect, Context& context) {
    Problems& problems = context.problems;
    ObjectReader pins(*object.find("body_pins"), object.at("body_pins"), problems,
                      {"body", "count"});
    if (!pins.isObject()) {
        return;
    }
    const Json* name = pins.require("body");
    const Json* count = pins.require("count");
    if (name == nullptr || count == nullptr) {
        return;
    }
    auto body = readString(*name, pins.at("body"), problems);
    auto n = readInteger(*count, pins.at("count"), problems, 0, 64);
    if (body && n) {
        context.use(*body, pins.at("body"));
        expect.bodyPins = std::pair(*body, static_cast<int>(*n));
    }
}

void readClip(const ObjectReader& object, Expectation& expect, Problems& problems) {
    const Json& value = *object.find("player_clip");
    Expectation::Clip clip;
    if (value.is_null()) {
        clip.clip = "";
        expect.playerClip = clip;
        return;
    }
    ObjectReader c(value, object.at("player_clip"), problems, {"clip", "filter", "speed"});
    if (!c.isObject()) {
        return;
    }
    if (const Json* name = c.find("clip")) {
        clip.clip = readString(*name, c.at("clip"), problems);
    }
    if (const Json* filter = c.find("filter")) {
        clip.filter = readString(*filter, c.at("filter"), problems);
    }
    clip.speed = readFloat(c, "speed", problems);
    expect.playerClip = clip;
}

} // namespace

std::optional<Expectation> readExpectation(const Json& value, const std::string& pointer,
                                           Context& context) {
    Problems& problems = context.problems;
    ObjectReader object(value, pointer, problems,
                        {"frame", "time", "end", "note", "state", "prompt", "prompt_count",
                         "player_position", "player_heading", "body_distance", "body_position",
                         "body_pins", "player_clip"});
    if (!object.isObject()) {
        return std::nullopt;
    }
    Expectation expect;
    expect.pointer = pointer;
    auto moment = readMoment(object, context, true);
    if (const Json* note = object.find("note")) {
        expect.note = readString(*note, object.at("note"), problems).value_or("");
    }
    if (const Json* state = object.find("state")) {
        expect.state = readPhase(*state, object.at("state"), problems);
    }
    if (const Json* prompt = object.find("prompt")) {
        expect.prompt = readPrompt(*prompt, object.at("prompt"), context);
    }
    if (const Json* count = object.find("prompt_count")) {
        auto n = readInteger(*count, object.at("prompt_count"), problems, 0, 1000);
        if (n) {
            expect.promptCount = static_cast<int>(*n);
        }
    }
    if (const Json* place = object.find("player_position")) {
        expect.playerPosition =
            readPlace(*place, object.at("player_position"), context, {}, nullptr);
    }
    if (object.has("player_heading")) {
        readHeading(object, expect, problems);
    }
    if (object.has("body_distance")) {
        readDistance(object, expect, context);
    }
    if (const Json* place = object.find("body_position")) {
        std::string body;
        if (auto point = readPlace(*place, object.at("body_position"), context, {"body"}, &body)) {
            expect.bodyPosition = std::pair(body, *point);
        }
    }
    if (object.has("body_pins")) {
        readPins(object, expect, context);
    }
    if (object.has("player_clip")) {
        readClip(object, expect, problems);
    }
    bool checks = false;
    for (std::string_view key :
         {"state", "prompt", "prompt_count", "player_position", "player_heading", "body_distance",
          "body_position", "body_pins", "player_clip"}) {
        checks = checks || object.has(key);
    }
    if (!checks) {
        problems.add(pointer, "an expectation needs at least one thing to check");
    }
    if (moment) {
        expect.at = *moment;
    }
    return moment ? std::optional(expect) : std::nullopt;
}

} // namespace simtool::reading
