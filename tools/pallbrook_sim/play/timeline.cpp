#include "play/timeline.h"

#include "play/world_setup.h"

#include "sim/world/world.h"

#include <stdexcept>

namespace simtool {

bool isDue(const Moment& at, std::int64_t clock) {
    switch (at.kind) {
    case Moment::Kind::Frame:
        return sim::world().frame == at.value;
    case Moment::Kind::Time:
        return clock >= at.value;
    case Moment::Kind::End:
        return false;
    }
    return false;
}

void applyDueEvents(TimelinePlay& timeline, std::int64_t clock,
                    const std::function<void(std::string)>& say,
                    const std::function<void(std::string)>& fail) {
    const Scenario& scenario = timeline.scenario;
    for (std::size_t i = 0; i < scenario.timeline.size(); ++i) {
        const TimelineEvent& event = scenario.timeline[i];
        if (timeline.applied[i] || !isDue(event.at, clock)) {
            continue;
        }
        timeline.applied[i] = true;
        try {
            std::string said = applyAction(event.action);
            say("> " + said + (event.note.empty() ? "" : "  -- " + event.note));
        } catch (const std::runtime_error& error) {
            fail(scenario.file + ": " + event.pointer + ": " + error.what());
        }
    }
}

} // namespace simtool
