// Reading peds and their fields.
#include "printing/names.h"
#include "scenario/reading_context.h"

#include <array>

namespace simtool::reading {

namespace {

struct FlagKey {
    std::string_view key;
    bool sim::Ped::*field;
};

constexpr std::array<FlagKey, 13> FlagKeys = {{
    {"dead", &sim::Ped::dead},
    {"incapacitated", &sim::Ped::incapacitated},
    {"limp", &sim::Ped::limp},
    {"config_flag_11", &sim::Ped::configFlag11},
    {"riding_mount", &sim::Ped::ridingMount},
    {"in_vehicle", &sim::Ped::inVehicle},
    {"carrying", &sim::Ped::carrying},
    {"falling", &sim::Ped::falling},
    {"swimming", &sim::Ped::swimming},
    {"condition_test", &sim::Ped::conditionTest},
    {"condition_test_b", &sim::Ped::conditionTestB},
    {"is_player", &sim::Ped::isPlayer},
    {"limp_allowed", &sim::Ped::limpAllowed},
}};

// A ped name, or null for none.
std::optional<std::string> readPedRef(const Json& value, const std::string& pointer,
                                      Context& context) {
    if (value.is_null()) {
        return std::string();
    }
    auto name = readString(value, pointer, context.problems);
    if (name) {
        context.use(*name, pointer);
    }
    return name;
}

void readWeapons(const ObjectReader& object, PedChange& change, Problems& problems) {
    const Json* value = object.find("weapons");
    if (value == nullptr) {
        return;
    }
    std::string pointer = object.at("weapons");
    const Json* list = readArray(*value, pointer, problems);
    if (list == nullptr) {
        return;
    }
    if (list->empty() || list->size() > 2) {
        problems.add(pointer, "give one or two weapons: [slot 0] or [slot 0, slot 1]");
        return;
    }
    for (std::size_t slot = 0; slot < list->size(); ++slot) {
        std::string place = pointer + "/" + std::to_string(slot);
        if (auto text = readString((*list)[slot], place, problems)) {
            if (auto hash = parseWeapon(*text)) {
                change.weapons[slot] = *hash;
            } else {
                problems.add(place, "not a weapon name (WEAPON_...) or hash (0x...)");
            }
        }
    }
}

void readFlaggedParts(const ObjectReader& object, PedChange& change, Problems& problems) {
    const Json* value = object.find("flagged_parts");
    if (value == nullptr) {
        return;
    }
    std::string pointer = object.at("flagged_parts");
    const Json* list = readArray(*value, pointer, problems);
    if (list == nullptr) {
        return;
    }
    std::vector<int> parts;
    for (std::size_t i = 0; i < list->size(); ++i) {
        if (auto part =
                readInteger((*list)[i], pointer + "/" + std::to_string(i), problems, 0, 31)) {
            parts.push_back(static_cast<int>(*part));
        }
    }
    change.flaggedParts = parts;
}

} // namespace

const std::vector<std::string_view>& pedFieldKeys() {
    static const std::vector<std::string_view> keys = [] {
        std::vector<std::string_view> list = {"position",      "heading",     "condition_value",
                                              "mount",         "attached_to", "prompt_group",
                                              "flagged_parts", "weapons"};
        for (const FlagKey& flag : FlagKeys) {
            list.push_back(flag.key);
        }
        return list;
    }();
    return keys;
}

std::vector<std::string_view> withPedFields(std::vector<std::string_view> extra) {
    extra.insert(extra.end(), pedFieldKeys().begin(), pedFieldKeys().end());
    return extra;
}

std::optional<sim::Vec3> readPoint(const Json& value, const std::string& pointer,
                                   Problems& problems, bool& hasHeight) {
    const Json* list = readArray(value, pointer, problems);
    if (list == nullptr) {
        return std::nullopt;
    }
    if (list->size() != 2 && list->size() != 3) {
        problems.add(pointer, "expected [x, y] or [x, y, z]");
        return std::nullopt;
    }
    float xyz[3] = {0.0f, 0.0f, 0.0f};
    bool ok = true;
    for (std::size_t i = 0; i < list->size(); ++i) {
        auto number = readNumber((*list)[i], pointer + "/" + std::to_string(i), problems);
        ok = ok && number.has_value();
        xyz[i] = static_cast<float>(number.value_or(0.0));
    }
    hasHeight = list->size() == 3;
    return ok ? std::optional(sim::Vec3{xyz[0], xyz[1], xyz[2]}) : std::nullopt;
}

PedChange readPedFields(const ObjectReader& object, Context& context) {
    Problems& problems = context.problems;
    PedChange change;
    if (const Json* value = object.find("position")) {
        change.position =
            readPoint(*value, object.at("position"), problems, change.positionHasHeight);
    }
    if (const Json* value = object.find("heading")) {
        if (auto degrees = readNumber(*value, object.at("heading"), problems)) {
            change.heading = static_cast<float>(*degrees);
        }
    }
    for (const FlagKey& flag : FlagKeys) {
        if (const Json* value = object.find(flag.key)) {
            if (auto on = readBool(*value, object.at(flag.key), problems)) {
                change.flags.push_back({std::string(flag.key), flag.field, *on});
            }
        }
    }
    if (const Json* value = object.find("condition_value")) {
        if (auto number =
                readInteger(*value, object.at("condition_value"), problems, INT32_MIN, INT32_MAX)) {
            change.conditionValue = static_cast<std::int32_t>(*number);
        }
    }
    if (const Json* value = object.find("mount")) {
        change.mount = readPedRef(*value, object.at("mount"), context);
    }
    if (const Json* value = object.find("attached_to")) {
        change.attachedTo = readPedRef(*value, object.at("attached_to"), context);
    }
    if (const Json* value = object.find("prompt_group")) {
        if (auto number =
                readInteger(*value, object.at("prompt_group"), problems, INT32_MIN, INT32_MAX)) {
            change.promptGroup = static_cast<std::int32_t>(*number);
        }
    }
    readFlaggedParts(object, change, problems);
    readWeapons(object, change, problems);
    return change;
}

std::optional<PedSetup> readNewPed(const Json& value, const std::string& pointer,
                                   Context& context) {
    ObjectReader object(value, pointer, context.problems, withPedFields({"name"}));
    if (!object.isObject()) {
        return std::nullopt;
    }
    PedSetup setup;
    if (const Json* name = object.require("name")) {
        auto text = readString(*name, object.at("name"), context.problems);
        if (text && text->empty()) {
            context.problems.add(object.at("name"), "a ped needs a name that is not empty");
        } else if (text && !context.declared.insert(*text).second) {
            context.problems.add(object.at("name"), "the name \"" + *text + "\" is taken");
        }
        setup.name = text.value_or("");
    }
    setup.change = readPedFields(object, context);
    return setup;
}

} // namespace simtool::reading
