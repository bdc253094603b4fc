// Reading the moments and the timeline.
#include "printing/names.h"
#include "scenario/reading_context.h"

namespace simtool::reading {

namespace {

const std::vector<std::string_view> ActionKeys = {"hold", "release", "aim",    "stick", "input",
                                                  "set",  "die",     "delete", "spawn"};

std::vector<std::uint32_t> readControls(const Json& value, const std::string& pointer,
                                        Problems& problems) {
    std::vector<std::uint32_t> controls;
    auto one = [&](const Json& item, const std::string& place) {
        if (auto text = readString(item, place, problems)) {
            if (auto hash = parseControl(*text)) {
                controls.push_back(*hash);
            } else {
                problems.add(place, "\"" + *text + "\" is no control name (INPUT_...) or hash");
            }
        }
    };
    if (value.is_array()) {
        for (std::size_t i = 0; i < value.size(); ++i) {
            one(value[i], pointer + "/" + std::to_string(i));
        }
    } else {
        one(value, pointer);
    }
    return controls;
}

std::vector<std::pair<std::uint32_t, float>>
readStick(const Json& value, const std::string& pointer, Problems& problems) {
    std::vector<std::pair<std::uint32_t, float>> axes;
    if (!value.is_object()) {
        problems.add(pointer, "expected an object of control names and values from -1 to 1");
        return axes;
    }
    for (const auto& [name, item] : value.items()) {
        std::string place = pointer + "/" + name;
        auto hash = parseControl(name);
        if (!hash) {
            problems.add(place, "\"" + name + "\" is no control name (INPUT_...) or hash");
        }
        auto number = readNumber(item, place, problems);
        if (number && (*number < -1.0 || *number > 1.0)) {
            problems.add(place, "a stick value runs from -1 to 1");
        } else if (hash && number) {
            axes.emplace_back(*hash, static_cast<float>(*number));
        }
    }
    return axes;
}

std::optional<bool> readInputKind(const Json& value, const std::string& pointer,
                                  Problems& problems) {
    auto text = readString(value, pointer, problems);
    if (text && *text != "keyboard" && *text != "pad") {
        problems.add(pointer, "expected \"keyboard\" or \"pad\"");
        return std::nullopt;
    }
    return text ? std::optional(*text == "keyboard") : std::nullopt;
}

// A ped named by a string, which must be declared by the end of the file.
std::string readName(const Json& value, const std::string& pointer, Context& context) {
    auto name = readString(value, pointer, context.problems);
    if (name) {
        context.use(*name, pointer);
    }
    return name.value_or("");
}

void readAction(const ObjectReader& object, std::string_view key, Action& action,
                Context& context) {
    Problems& problems = context.problems;
    const Json& value = *object.find(key);
    std::string pointer = object.at(key);
    using K = Action::Kind;
    if (key == "hold" || key == "release") {
        action.kind = key == "hold" ? K::Hold : K::Release;
        action.controls = readControls(value, pointer, problems);
    } else if (key == "aim") {
        auto on = readBool(value, pointer, problems);
        action.kind = on.value_or(false) ? K::Hold : K::Release;
        // assign, not = {…}: GCC 14 under AddressSanitizer takes the copy
        // of a one-element list for a read past its end (-Warray-bounds).
        action.controls.assign(1, *parseControl("INPUT_AIM"));
    } else if (key == "stick") {
        action.kind = K::Stick;
        action.stick = readStick(value, pointer, problems);
    } else if (key == "input") {
        action.kind = K::Input;
        action.keyboard = readInputKind(value, pointer, problems).value_or(true);
    } else if (key == "set") {
        action.kind = K::Set;
        ObjectReader set(value, pointer, problems, withPedFields({"ped"}));
        if (set.isObject()) {
            if (const Json* name = set.require("ped")) {
                action.ped.name = readName(*name, set.at("ped"), context);
            }
            action.ped.change = readPedFields(set, context);
        }
    } else if (key == "die" || key == "delete") {
        action.kind = key == "die" ? K::Die : K::Delete;
        action.ped.name = readName(value, pointer, context);
    } else if (key == "spawn") {
        action.kind = K::Spawn;
        if (auto setup = readNewPed(value, pointer, context)) {
            action.ped = *setup;
        }
    }
}

} // namespace

std::optional<Moment> readMoment(const ObjectReader& object, Context& context, bool allowEnd) {
    Problems& problems = context.problems;
    int given = int(object.has("frame")) + int(object.has("time")) + int(object.has("end"));
    if (given != 1) {
        problems.add(object.pointer(), allowEnd
                                           ? "give exactly one of \"frame\", \"time\" and \"end\""
                                           : "give exactly one of \"frame\" and \"time\"");
        return std::nullopt;
    }
    Moment moment;
    if (const Json* value = object.find("frame")) {
        auto frame = readInteger(*value, object.at("frame"), problems, 1, context.frames);
        if (!frame) {
            return std::nullopt;
        }
        moment = {Moment::Kind::Frame, *frame};
    } else if (const Json* value = object.find("time")) {
        auto time = readInteger(*value, object.at("time"), problems, 0, UINT32_MAX);
        if (!time) {
            return std::nullopt;
        }
        moment = {Moment::Kind::Time, *time};
    } else if (const Json* value = object.find("end")) {
        auto end = readBool(*value, object.at("end"), problems);
        if (end && !*end) {
            problems.add(object.at("end"), "\"end\" can only be true");
        }
        moment = {Moment::Kind::End, 0};
    }
    return moment;
}

std::optional<TimelineEvent> readTimelineEvent(const Json& value, const std::string& pointer,
                                               Context& context) {
    std::vector<std::string_view> keys = {"frame", "time", "note"};
    keys.insert(keys.end(), ActionKeys.begin(), ActionKeys.end());
    ObjectReader object(value, pointer, context.problems, keys);
    if (!object.isObject()) {
        return std::nullopt;
    }
    TimelineEvent event;
    event.pointer = pointer;
    auto moment = readMoment(object, context, false);
    if (moment) {
        event.at = *moment;
    }
    if (const Json* note = object.find("note")) {
        event.note = readString(*note, object.at("note"), context.problems).value_or("");
    }
    std::vector<std::string_view> actions;
    for (std::string_view key : ActionKeys) {
        if (object.has(key)) {
            actions.push_back(key);
        }
    }
    if (actions.size() != 1) {
        std::string list;
        for (std::string_view key : ActionKeys) {
            list += (list.empty() ? "" : ", ") + std::string(key);
        }
        context.problems.add(pointer, "give exactly one action of: " + list);
        return std::nullopt;
    }
    readAction(object, actions.front(), event.action, context);
    return moment ? std::optional(event) : std::nullopt;
}

} // namespace simtool::reading
