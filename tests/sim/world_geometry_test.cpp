// Headings, distances, the ground and the skeleton, asked through natives.
#include "world_fixture.h"

#include <cmath>
#include <set>
#include <vector>

namespace {

using natives::DistanceSquared;
using natives::EntityPosition;
using natives::GroundHeight;
using natives::HeadingOfDirection;
using natives::PedBoneIndex;
using natives::PedBonePosition;
using natives::SetEntityHeading;
using natives::SetEntityPosition;

using GeometryTest = WorldTest;

Vector3 boneOf(EntityHandle ped, std::int32_t tag) {
    return callNative<Vector3>(PedBonePosition, ped, tag, 0.0f, 0.0f, 0.0f);
}

TEST_F(GeometryTest, HeadingOfADirectionIsZeroAlongYAndGrowsCounterClockwise) {
    float north = -1, west = -1, south = -1, east = -1, northWest = -1;
    frame([&] {
        north = callNative<float>(HeadingOfDirection, 0.0f, 1.0f);
        west = callNative<float>(HeadingOfDirection, -1.0f, 0.0f);
        south = callNative<float>(HeadingOfDirection, 0.0f, -2.0f);
        east = callNative<float>(HeadingOfDirection, 3.0f, 0.0f);
        northWest = callNative<float>(HeadingOfDirection, -1.0f, 1.0f);
    });
    EXPECT_NEAR(north, 0.0f, 1e-4f);
    EXPECT_NEAR(west, 90.0f, 1e-4f);
    EXPECT_NEAR(south, 180.0f, 1e-4f);
    EXPECT_NEAR(east, 270.0f, 1e-4f);
    EXPECT_NEAR(northWest, 45.0f, 1e-4f);
}

TEST_F(GeometryTest, SquaredDistanceIsZeroForAPointAndItselfAndFourForTwoApart) {
    float same = -1, two = -1, diagonal = -1;
    frame([&] {
        same = callNative<float>(DistanceSquared, 1.5f, -2.0f, 3.0f, 1.5f, -2.0f, 3.0f);
        two = callNative<float>(DistanceSquared, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 3.0f);
        diagonal = callNative<float>(DistanceSquared, 0.0f, 0.0f, 0.0f, 1.0f, 2.0f, 2.0f);
    });
    EXPECT_EQ(same, 0.0f);
    EXPECT_FLOAT_EQ(two, 4.0f);
    EXPECT_FLOAT_EQ(diagonal, 9.0f);
}

TEST_F(GeometryTest, GroundProbeWritesOnlyWhenTheGroundIsBelowTheStart) {
    sim::world().ground = [](float x, float) -> std::optional<float> {
        if (x > 100.0f) {
            return std::nullopt;
        }
        return 0.5f * x;
    };
    float onSlope = -7, aboveStart = -7, noGround = -7;
    bool foundSlope = false, foundAbove = true, foundNone = true;
    frame([&] {
        foundSlope = callNative<bool>(GroundHeight, 4.0f, 0.0f, 5.0f, &onSlope, 0);
        foundAbove = callNative<bool>(GroundHeight, 20.0f, 0.0f, 5.0f, &aboveStart, 0);
        foundNone = callNative<bool>(GroundHeight, 200.0f, 0.0f, 5.0f, &noGround, 0);
    });
    EXPECT_TRUE(foundSlope);
    EXPECT_FLOAT_EQ(onSlope, 2.0f);
    EXPECT_FALSE(foundAbove);
    EXPECT_EQ(aboveStart, -7);
    EXPECT_FALSE(foundNone);
    EXPECT_EQ(noGround, -7);
}

TEST_F(GeometryTest, PositionAndHeadingAreSetAndReadBack) {
    EntityHandle player = sim::world().player;
    Vector3 read;
    frame([&] {
        callNative(SetEntityPosition, player, 3.0f, -4.0f, 1.5f, 0, 0, 0, 0);
        callNative(SetEntityHeading, player, 725.0f);
        read = callNative<Vector3>(EntityPosition, player, 0, 0);
    });
    EXPECT_FLOAT_EQ(read.x, 3.0f);
    EXPECT_FLOAT_EQ(read.y, -4.0f);
    EXPECT_FLOAT_EQ(read.z, 1.5f);
    EXPECT_FLOAT_EQ(sim::playerPed().heading, 725.0f); // never wrapped
}

TEST_F(GeometryTest, BonesTurnWithTheHeadingOfAStandingPed) {
    EntityHandle player = sim::world().player;
    sim::playerPed().position = {10.0f, 20.0f, 0.0f};
    Vector3 facingNorth, facingWest;
    frame([&] { facingNorth = boneOf(player, 22798); });
    sim::playerPed().heading = 90.0f;
    frame([&] { facingWest = boneOf(player, 22798); });
    // The hand is ahead and to the right: north-east facing +y, north-west
    // facing -x; its height does not change.
    EXPECT_GT(facingNorth.x, 10.0f);
    EXPECT_GT(facingNorth.y, 20.0f);
    EXPECT_NEAR(facingWest.x - 10.0f, -(facingNorth.y - 20.0f), 1e-5f);
    EXPECT_NEAR(facingWest.y - 20.0f, facingNorth.x - 10.0f, 1e-5f);
    EXPECT_FLOAT_EQ(facingWest.z, facingNorth.z);
    EXPECT_GT(facingNorth.z, 0.5f);
}

TEST_F(GeometryTest, ABodyLiesFlatAlongItsHeadingHeadForward) {
    EntityHandle body = sim::addBody({0.0f, 0.0f, 0.0f}, 90.0f);
    Vector3 foot, hand;
    frame([&] {
        foot = boneOf(body, 45454);
        hand = boneOf(body, 34606);
    });
    EXPECT_LT(foot.z, 0.3f);
    EXPECT_LT(hand.z, 0.3f);
    // Heading 90 faces -x: the hands lie further along it than the feet.
    EXPECT_LT(hand.x, foot.x - 0.5f);
    EXPECT_NEAR(foot.x, 0.0f, 0.1f);
}

TEST_F(GeometryTest, EveryGripTagHasItsOwnBoneIndexAndUnknownTagsHaveNone) {
    EntityHandle player = sim::world().player;
    const std::int32_t tags[] = {22798, 34606, 45454, 33646, 55120, 65478,
                                 43312, 6884,  53675, 37873, 54187, 46065};
    std::vector<std::int32_t> indexes;
    std::int32_t unknown = 0;
    frame([&] {
        for (std::int32_t tag : tags) {
            indexes.push_back(callNative<std::int32_t>(PedBoneIndex, player, tag));
        }
        unknown = callNative<std::int32_t>(PedBoneIndex, player, 31086);
    });
    std::set<std::int32_t> distinct(indexes.begin(), indexes.end());
    EXPECT_EQ(distinct.size(), std::size(tags));
    for (std::int32_t index : indexes) {
        EXPECT_GE(index, 0);
        EXPECT_LT(index, 100);
    }
    EXPECT_EQ(unknown, -1);
}

} // namespace
