#include "drag/grab_point.h"
#include "plugin/natives.h"
#include "sim/world/geometry.h"
#include "sim/world/skeleton.h"
#include "support/on_fibre.h"
#include "support/plugin_in_world.h"

#include <cmath>
#include <map>

namespace {

using natives::GroundHeight;
using natives::PedBonePosition;
using natives::SetEntityHeading;
using natives::SetEntityPosition;

// The bones of each grab point when no body part is flagged.
constexpr std::int32_t GrabBones[4][2] = {
    {45454, 33646}, {34606, 22798}, {34606, 45454}, {22798, 33646}};

class GrabPointTest : public PluginInWorldTest {
  protected:
    std::int32_t player() const { return sim::world().player; }

    void place(std::int32_t body) {
        runOnFibre([&] { placePlayerForPickup(player(), body); });
    }

    sim::Vec3 midpointOf(std::int32_t body, int grabPoint) const {
        const auto a = *sim::bonePosition(sim::ped(body), GrabBones[grabPoint][0]);
        const auto b = *sim::bonePosition(sim::ped(body), GrabBones[grabPoint][1]);
        return {(a.x + b.x) * 0.5f, (a.y + b.y) * 0.5f, (a.z + b.z) * 0.5f};
    }

    // The body's bones answer from this table instead of the skeleton.
    void answerBones(std::map<std::int32_t, sim::Vec3> bones) {
        sim::host().natives.at(PedBonePosition).handler = [bones](const sim::NativeArgs& a,
                                                                  sim::NativeResult& r) {
            const auto& p = bones.at(a.i32(1));
            r.setVector(p.x, p.y, p.z);
        };
    }

    static float horizontalDistance(sim::Vec3 a, sim::Vec3 b) {
        return std::hypot(a.x - b.x, a.y - b.y);
    }
};

// A body lying in front of the player, head away: the feet are nearest.
// One lying beside the player: the mixed pair nearest the player wins.
TEST_F(GrabPointTest, NearestMidpointIsChosenAndThePlayerStandsItsSnapDistanceAway) {
    struct Case {
        sim::Vec3 body;
        float heading;
        int expectedGrabPoint;
        float snap;
    };
    const Case cases[] = {
        {{0.0f, 1.0f, 0.0f}, 0.0f, 0, 0.55f},
        {{0.0f, -2.0f, 0.0f}, 0.0f, 1, 1.1f},
        {{1.0f, 0.0f, 0.0f}, 0.0f, 3, 0.55f * 0.7f},
        {{-1.0f, 0.0f, 0.0f}, 0.0f, 2, 0.55f * 0.7f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expectedGrabPoint);
        sim::playerPed().position = {0.0f, 0.0f, 0.0f};
        const auto body = sim::addBody(c.body, c.heading);
        const sim::Vec3 m = midpointOf(body, c.expectedGrabPoint);
        for (int k = 0; k < 4; ++k) {
            const auto mk = midpointOf(body, k);
            if (k != c.expectedGrabPoint) {
                ASSERT_LT(sim::distanceSquared({}, m), sim::distanceSquared({}, mk)) << k;
            }
        }
        place(body);
        EXPECT_EQ(DragState.grabPoint, c.expectedGrabPoint);
        EXPECT_EQ(DragState.gripBoneA, GrabBones[c.expectedGrabPoint][0]);
        EXPECT_EQ(DragState.gripBoneB, GrabBones[c.expectedGrabPoint][1]);
        const auto& p = sim::playerPed().position;
        EXPECT_NEAR(horizontalDistance(p, m), c.snap, 1e-5f);
        // On the line from the midpoint towards where the player stood.
        EXPECT_NEAR(std::atan2(p.y - m.y, p.x - m.x), std::atan2(-m.y, -m.x), 1e-4f);
        // Facing the midpoint.
        EXPECT_FLOAT_EQ(sim::playerPed().heading, sim::headingOf(m.x, m.y));
        EXPECT_FLOAT_EQ(DragState.heading, sim::playerPed().heading);
        sim::deletePed(body, false);
    }
}

TEST_F(GrabPointTest, SnapDistancesComeFromTheSettings) {
    Settings.SnapDistFeet = 0.8f;
    const auto body = sim::addBody({0.0f, 1.5f, 0.0f});
    const sim::Vec3 m = midpointOf(body, 0);
    place(body);
    EXPECT_NEAR(horizontalDistance(sim::playerPed().position, m), 0.8f, 1e-5f);
}

TEST_F(GrabPointTest, EqualDistancesKeepTheLowerGrabPoint) {
    const auto body = sim::addBody({0.0f, 2.0f, 0.0f});
    // Midpoints 0 (0,1), 1 (0,5), 2 (0,1), 3 (0,5): 0 and 2 tie nearest.
    answerBones({{45454, {0.0f, 1.0f, 0.0f}},
                 {33646, {0.0f, 1.0f, 0.0f}},
                 {34606, {0.0f, 1.0f, 0.0f}},
                 {22798, {0.0f, 9.0f, 0.0f}}});
    place(body);
    EXPECT_EQ(DragState.grabPoint, 0);

    // Midpoints 0 (0,-2), 1 (0,2), 2 (1,0), 3 (-1,0): 2 and 3 tie nearest.
    sim::playerPed().position = {};
    answerBones({{45454, {0.0f, -2.0f, 0.0f}},
                 {33646, {0.0f, -2.0f, 0.0f}},
                 {34606, {2.0f, 2.0f, 0.0f}},
                 {22798, {-2.0f, 2.0f, 0.0f}}});
    place(body);
    EXPECT_EQ(DragState.grabPoint, 2);
    EXPECT_EQ(DragState.gripBoneA, 34606);
    EXPECT_EQ(DragState.gripBoneB, 45454);
}

TEST_F(GrabPointTest, GroundProbeStartsTwoAboveThePlayerAndMissingGroundKeepsTheHeight) {
    sim::playerPed().position = {0.0f, 0.0f, 0.7f};
    sim::world().ground = [](float, float) { return std::optional<float>(0.3f); };
    const auto body = sim::addBody({0.0f, 1.5f, 0.3f});
    place(body);
    ASSERT_EQ(callsTo(GroundHeight), 1u);
    for (const auto& call : sim::host().calls) {
        if (call.hash == GroundHeight) {
            EXPECT_FLOAT_EQ(call.args.f32(2), 2.7f);
        }
    }
    EXPECT_FLOAT_EQ(sim::playerPed().position.z, 0.3f);

    sim::playerPed().position = {0.0f, 0.0f, 0.7f};
    sim::world().ground = [](float, float) { return std::optional<float>(); };
    place(body);
    EXPECT_FLOAT_EQ(sim::playerPed().position.z, 0.7f);
}

TEST_F(GrabPointTest, PlayerOnTheMidpointIsNotMovedButStillTurned) {
    const auto body = sim::addBody({0.0f, 1.5f, 0.0f});
    const sim::Vec3 m = midpointOf(body, 0);
    // Within 0.01 of the midpoint, horizontally; the height does not count.
    sim::playerPed().position = {m.x + 0.006f, m.y - 0.006f, 0.0f};
    sim::playerPed().heading = 77.0f;
    place(body);
    EXPECT_EQ(callsTo(SetEntityPosition), 0u);
    EXPECT_EQ(callsTo(SetEntityHeading), 1u);
    EXPECT_FLOAT_EQ(sim::playerPed().position.x, m.x + 0.006f);
    // Turned towards the midpoint: up and to the left, about 45 degrees.
    EXPECT_NEAR(sim::playerPed().heading, 45.0f, 0.01f);
}

} // namespace
