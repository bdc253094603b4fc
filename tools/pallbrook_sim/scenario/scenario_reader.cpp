#include "scenario/scenario_reader.h"

#include "files/input_file.h"
#include "printing/names.h"
#include "scenario/reading_context.h"

namespace simtool {

namespace {

using namespace reading;

std::optional<std::vector<std::uint32_t>>
readWeaponList(const Json& value, const std::string& pointer, Problems& problems) {
    const Json* list = readArray(value, pointer, problems);
    if (list == nullptr) {
        return std::nullopt;
    }
    std::vector<std::uint32_t> hashes;
    for (std::size_t i = 0; i < list->size(); ++i) {
        std::string place = pointer + "/" + std::to_string(i);
        if (auto text = readString((*list)[i], place, problems)) {
            if (auto hash = parseWeapon(*text)) {
                hashes.push_back(*hash);
            } else {
                problems.add(place, "not a weapon name (WEAPON_...) or hash (0x...)");
            }
        }
    }
    return hashes;
}

void readOneHanded(const ObjectReader& world, WorldSetup& setup, Problems& problems) {
    ObjectReader classes(*world.find("one_handed_weapons"), world.at("one_handed_weapons"),
                         problems, {"class_a", "class_b"});
    if (const Json* a = classes.find("class_a")) {
        setup.weaponClassA = readWeaponList(*a, classes.at("class_a"), problems);
    }
    if (const Json* b = classes.find("class_b")) {
        setup.weaponClassB = readWeaponList(*b, classes.at("class_b"), problems);
    }
}

void readDictFrames(const ObjectReader& world, WorldSetup& setup, Problems& problems) {
    const Json& value = *world.find("dict_load_frames");
    std::string pointer = world.at("dict_load_frames");
    if (!value.is_object()) {
        problems.add(pointer, "expected an object of dictionary names and frame counts");
        return;
    }
    for (const auto& [dict, frames] : value.items()) {
        std::string place = pointer + "/" + dict;
        if (frames.is_string() && frames.get<std::string>() == "never") {
            setup.dictLoadFrames[dict] = -1;
        } else if (auto n = readInteger(frames, place, problems, 0, 1000000)) {
            setup.dictLoadFrames[dict] = static_cast<int>(*n);
        }
    }
}

void readWorld(const Json& value, const std::string& pointer, WorldSetup& setup, Context& context) {
    Problems& problems = context.problems;
    ObjectReader world(value, pointer, problems,
                       {"frame_time_ms", "start_time_ms", "ground_height", "input",
                        "dict_load_frames", "one_handed_weapons", "player", "peds"});
    if (!world.isObject()) {
        return;
    }
    if (const Json* ms = world.find("frame_time_ms")) {
        setup.frameTimeMs = static_cast<std::uint32_t>(
            readInteger(*ms, world.at("frame_time_ms"), problems, 1, 10000).value_or(33));
    }
    if (const Json* ms = world.find("start_time_ms")) {
        setup.startTimeMs = static_cast<std::uint32_t>(
            readInteger(*ms, world.at("start_time_ms"), problems, 0, UINT32_MAX).value_or(0));
    }
    if (const Json* ground = world.find("ground_height")) {
        setup.groundHeight = ground->is_null() ? std::nullopt : [&]() -> std::optional<float> {
            auto h = readNumber(*ground, world.at("ground_height"), problems);
            return static_cast<float>(h.value_or(0.0));
        }();
    }
    if (const Json* input = world.find("input")) {
        auto text = readString(*input, world.at("input"), problems);
        if (text && *text != "keyboard" && *text != "pad") {
            problems.add(world.at("input"), "expected \"keyboard\" or \"pad\"");
        }
        setup.keyboard = text.value_or("keyboard") == "keyboard";
    }
    if (world.has("dict_load_frames")) {
        readDictFrames(world, setup, problems);
    }
    if (world.has("one_handed_weapons")) {
        readOneHanded(world, setup, problems);
    }
    if (const Json* player = world.find("player")) {
        ObjectReader fields(*player, world.at("player"), problems, pedFieldKeys());
        setup.player = readPedFields(fields, context);
    }
    if (const Json* peds = world.find("peds")) {
        if (const Json* list = readArray(*peds, world.at("peds"), problems)) {
            for (std::size_t i = 0; i < list->size(); ++i) {
                if (auto ped = readNewPed((*list)[i], world.at("peds") + "/" + std::to_string(i),
                                          context)) {
                    setup.peds.push_back(*ped);
                }
            }
        }
    }
}

std::optional<std::string> readSettings(const Json& value, const std::string& pointer,
                                        Problems& problems) {
    if (value.is_string()) {
        return value.get<std::string>();
    }
    const Json* lines = readArray(value, pointer, problems);
    if (lines == nullptr) {
        return std::nullopt;
    }
    std::string text;
    for (std::size_t i = 0; i < lines->size(); ++i) {
        if (auto line = readString((*lines)[i], pointer + "/" + std::to_string(i), problems)) {
            text += *line + "\r\n";
        }
    }
    return text;
}

template <class T, class ReadOne>
void readList(const ObjectReader& top, std::string_view key, std::vector<T>& out, Context& context,
              ReadOne readOne) {
    const Json* value = top.find(key);
    if (value == nullptr) {
        return;
    }
    if (const Json* list = readArray(*value, top.at(key), context.problems)) {
        for (std::size_t i = 0; i < list->size(); ++i) {
            if (auto item = readOne((*list)[i], top.at(key) + "/" + std::to_string(i), context)) {
                out.push_back(*item);
            }
        }
    }
}

// What a read gives: the scenario when nothing is wrong, and each problem
// with the file's name before it.
ReadResult readResult(Scenario scenario, const Problems& problems, const std::string& path) {
    ReadResult result;
    if (problems.empty()) {
        result.scenario = std::move(scenario);
    }
    for (const std::string& problem : problems.list()) {
        result.problems.push_back(path + ": " + problem);
    }
    return result;
}

} // namespace

ReadResult readScenario(const std::string& path) {
    std::string fault;
    std::optional<std::string> text = readInputFile(path, fault);
    if (!text) {
        ReadResult result;
        result.problems.push_back(path + " " + fault);
        return result;
    }
    return readScenarioText(*text, path);
}

ReadResult readScenarioText(const std::string& text, const std::string& path) {
    Problems problems;
    Scenario scenario;
    scenario.file = path;
    std::optional<Json> json = parseJson(text, problems);
    if (json) {
        Context context{problems, 0, {PlayerName}, {}};
        ObjectReader top(*json, "", problems,
                         {"description", "frames", "world", "settings", "timeline", "expect"});
        if (top.isObject()) {
            if (const Json* description = top.find("description")) {
                scenario.description =
                    readString(*description, top.at("description"), problems).value_or("");
            }
            if (const Json* frames = top.require("frames")) {
                scenario.frames =
                    readInteger(*frames, top.at("frames"), problems, 1, 10000000).value_or(0);
                context.frames = scenario.frames;
            }
            if (const Json* world = top.find("world")) {
                readWorld(*world, top.at("world"), scenario.world, context);
            }
            if (const Json* settings = top.find("settings")) {
                scenario.settings = readSettings(*settings, top.at("settings"), problems);
            }
            readList(top, "timeline", scenario.timeline, context, readTimelineEvent);
            readList(top, "expect", scenario.expectations, context, readExpectation);
            for (const auto& [name, pointer] : context.uses) {
                if (!context.declared.contains(name)) {
                    problems.add(pointer, "no ped is named \"" + name + "\"");
                }
            }
        }
    }
    return readResult(std::move(scenario), problems, path);
}

} // namespace simtool
