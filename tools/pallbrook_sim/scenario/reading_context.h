// What the files of the scenario reader share: the reading context (its
// problems, the frame count so far, the ped names declared and used) and the
// readers of ped fields.
#pragma once

#include "scenario/scenario.h"
#include "scenario/strict_json.h"

#include <set>
#include <string>
#include <vector>

namespace simtool::reading {

struct Context {
    Problems& problems;
    std::int64_t frames = 0;
    std::set<std::string> declared{PlayerName};
    // Each ped name used, with its place, checked once everything is read.
    std::vector<std::pair<std::string, std::string>> uses;

    void use(const std::string& name, const std::string& pointer) {
        uses.emplace_back(name, pointer);
    }
};

// The keys of a ped's fields.
const std::vector<std::string_view>& pedFieldKeys();
// The keys of a ped's fields plus extra ones.
std::vector<std::string_view> withPedFields(std::vector<std::string_view> extra);
// Reads every ped field present in the object.
PedChange readPedFields(const ObjectReader& object, Context& context);
// A new ped: "name" and its fields.
std::optional<PedSetup> readNewPed(const Json& value, const std::string& pointer, Context& context);

// "frame", "time" or (when allowed) "end" of an object; exactly one.
std::optional<Moment> readMoment(const ObjectReader& object, Context& context, bool allowEnd);

// [x, y] or [x, y, z].
std::optional<sim::Vec3> readPoint(const Json& value, const std::string& pointer,
                                   Problems& problems, bool& hasHeight);

std::optional<TimelineEvent> readTimelineEvent(const Json& value, const std::string& pointer,
                                               Context& context);
std::optional<Expectation> readExpectation(const Json& value, const std::string& pointer,
                                           Context& context);

} // namespace simtool::reading
