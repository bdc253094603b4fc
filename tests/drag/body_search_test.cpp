#include "drag/body_search.h"
#include "plugin/natives.h"
#include "support/on_fibre.h"
#include "support/plugin_in_world.h"

#include <algorithm>

namespace {

using natives::IsAttachedTo;
using natives::IsDead;
using natives::IsIncapacitated;
using natives::IsLimp;
using natives::PedConfigFlag;

class BodySearchTest : public PluginInWorldTest {
  protected:
    EntityHandle search() {
        EntityHandle found = -1;
        runOnFibre([&] { found = findNearestBody(); });
        return found;
    }
    std::int32_t livingPed(sim::Vec3 at) { return sim::addPed(at); }
};

TEST_F(BodySearchTest, NothingAroundFindsNothing) {
    EXPECT_EQ(search(), 0);
    sim::world().listed.push_back(sim::world().player);
    EXPECT_EQ(search(), 0);
}

TEST_F(BodySearchTest, RadiusIsStrictAndAHairInsideCounts) {
    const auto onTheEdge = sim::addBody({2.0f, 0.0f, 0.0f});
    EXPECT_EQ(search(), 0);
    sim::ped(onTheEdge).position.x = 1.999f;
    EXPECT_EQ(search(), onTheEdge);
}

TEST_F(BodySearchTest, NearestWinsAndATieGoesToTheEarlierListed) {
    const auto far = sim::addBody({0.0f, 1.5f, 0.0f});
    const auto first = sim::addBody({1.0f, 0.0f, 0.0f});
    const auto second = sim::addBody({-1.0f, 0.0f, 0.0f});
    EXPECT_EQ(search(), first);
    auto& listed = sim::world().listed;
    std::iter_swap(std::find(listed.begin(), listed.end(), first),
                   std::find(listed.begin(), listed.end(), second));
    EXPECT_EQ(search(), second);
    sim::ped(far).position.y = 0.5f;
    EXPECT_EQ(search(), far);
}

TEST_F(BodySearchTest, OnlyTheSquareOfTheRadiusCounts) {
    const auto body = sim::addBody({1.4f, 0.0f, 0.0f});
    Settings.DetectionRadius = -1.5f;
    EXPECT_EQ(search(), body);
    Settings.DetectionRadius = 0.0f;
    sim::ped(body).position = {0.0f, 0.0f, 0.0f};
    EXPECT_EQ(search(), 0);
}

TEST_F(BodySearchTest, LivingPedsQualifyWhenLimpIncapacitatedOrFlagged) {
    const auto standing = livingPed({0.2f, 0.0f, 0.0f});
    EXPECT_EQ(search(), 0);
    sim::ped(standing).limp = true;
    EXPECT_EQ(search(), standing);
    sim::ped(standing).limp = false;
    sim::ped(standing).incapacitated = true;
    EXPECT_EQ(search(), standing);
    sim::ped(standing).incapacitated = false;
    sim::ped(standing).configFlag11 = true;
    EXPECT_EQ(search(), standing);
}

TEST_F(BodySearchTest, AllFourStateTestsAreAskedForEveryCandidate) {
    sim::addBody({1.0f, 0.0f, 0.0f}); // dead: the first test already answers true
    livingPed({1.5f, 0.0f, 0.0f});    // all four false
    search();
    EXPECT_EQ(callsTo(IsDead), 2u);
    EXPECT_EQ(callsTo(IsIncapacitated), 2u);
    EXPECT_EQ(callsTo(IsLimp), 2u);
    EXPECT_EQ(callsTo(PedConfigFlag), 2u);
}

TEST_F(BodySearchTest, PlayersRidersPassengersAndAnotherEntitysLoadAreNeverChosen) {
    const auto player = sim::world().player;
    const auto otherPlayer = sim::addBody({0.1f, 0.0f, 0.0f});
    sim::ped(otherPlayer).isPlayer = true;
    const auto rider = sim::addBody({0.2f, 0.0f, 0.0f});
    sim::ped(rider).ridingMount = true;
    const auto passenger = sim::addBody({0.3f, 0.0f, 0.0f});
    sim::ped(passenger).inVehicle = true;
    const auto wagon = sim::addPed({5.0f, 5.0f, 0.0f});
    const auto onWagon = sim::addBody({0.4f, 0.0f, 0.0f});
    sim::ped(onWagon).attachedTo = wagon;
    const auto horse = sim::addPed({0.0f, 3.0f, 0.0f});
    sim::playerPed().mount = horse;
    const auto onHorse = sim::addBody({0.5f, 0.0f, 0.0f});
    sim::ped(onHorse).attachedTo = horse;
    const auto free = sim::addBody({1.5f, 0.0f, 0.0f});
    EXPECT_EQ(search(), free);

    // A body that hangs on the player itself stays a candidate.
    sim::ped(onWagon).attachedTo = player;
    EXPECT_EQ(search(), onWagon);
}

TEST_F(BodySearchTest, MountTestIsMadeOnlyWhenThePlayerHasAMount) {
    sim::addBody({1.0f, 0.0f, 0.0f});
    sim::addBody({1.2f, 0.0f, 0.0f});
    search();
    EXPECT_EQ(callsTo(IsAttachedTo), 0u);
    sim::playerPed().mount = sim::addPed({0.0f, 4.0f, 0.0f});
    search();
    // Both bodies, and the mount itself (a living ped that fails only the state tests).
    EXPECT_EQ(callsTo(IsAttachedTo), 3u);
}

TEST_F(BodySearchTest, StaleHandlesAreSkippedAfterAskingOnlyWhetherTheyExist) {
    const auto gone = sim::addBody({0.1f, 0.0f, 0.0f});
    sim::deletePed(gone);
    const auto body = sim::addBody({1.0f, 0.0f, 0.0f});
    sim::world().listed.insert(sim::world().listed.begin(), 0);
    EXPECT_EQ(search(), body);
    EXPECT_TRUE(sim::world().deletedHandleUses.empty());
}

TEST_F(BodySearchTest, AListLongerThanTheBufferIsReadOnlyAsFarAsTheBuffer) {
    for (int i = 0; i < 1100; ++i) {
        sim::addPed({50.0f, static_cast<float>(i), 0.0f});
    }
    const auto beyond = sim::addBody({0.5f, 0.0f, 0.0f}); // listed at 1100
    sim::world().overReportCount = true;
    EXPECT_EQ(search(), 0);
    auto& listed = sim::world().listed;
    std::swap(listed[1023], listed.back());
    EXPECT_EQ(search(), beyond);
}

} // namespace
