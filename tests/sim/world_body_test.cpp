// Bodies and the peds around them: pins that pull a body after the player's
// hands, stale handles, the limp state, the ped list, the state tests, and
// the input and weapon natives.
#include "drag/drag_assets.h"
#include "world_fixture.h"

#include <vector>

namespace {

using natives::AllowLimp;
using natives::AttachedTo;
using natives::BodyPartFlagged;
using natives::ControlPressed;
using natives::ControlPressedWhileDisabled;
using natives::ControlValue;
using natives::CurrentWeapon;
using natives::DetachEntity;
using natives::EntityExists;
using natives::EntityPosition;
using natives::FreezeEntity;
using natives::IsAttachedTo;
using natives::IsDead;
using natives::IsLimp;
using natives::MakePedLimp;
using natives::PedBoneIndex;
using natives::PedBonePosition;
using natives::PedConfigFlag;
using natives::PinBoneToPoint;
using natives::PlayerConditionValue;
using natives::TextKeyHash;
using natives::WeaponClassTestA;

using BodyTest = WorldTest;

void pin(EntityHandle body, std::int32_t tag, sim::Vec3 at) {
    std::int32_t index = callNative<std::int32_t>(PedBoneIndex, body, tag);
    callNative(PinBoneToPoint, body, index, at.x, at.y, at.z, 0, 0, 0, 1.0e11f, 1, 1, 1, 1, 1, 1,
               1);
}

Vector3 boneOf(EntityHandle ped, std::int32_t tag) {
    return callNative<Vector3>(PedBonePosition, ped, tag, 0.0f, 0.0f, 0.0f);
}

TEST_F(BodyTest, APinnedBodyFollowsItsPinsOverTheGroundAtTheNextFrame) {
    EntityHandle body = sim::addBody({2.0f, 0.0f, 0.0f}, 90.0f);
    frame([&] {
        pin(body, 33646, {1.0f, 1.0f, 0.9f});
        pin(body, 45454, {1.0f, 1.5f, 0.9f});
    });
    Vector3 right, left;
    frame([&] {
        right = boneOf(body, 33646);
        left = boneOf(body, 45454);
    });
    EXPECT_NEAR((right.x + left.x) / 2, 1.0f, 1e-5f);
    EXPECT_NEAR((right.y + left.y) / 2, 1.25f, 1e-5f);
    EXPECT_FLOAT_EQ(sim::ped(body).position.z, 0.0f); // it slides, it is not lifted
}

TEST_F(BodyTest, AFrozenBodyStaysAndADetachedOneLetsGoOfItsPins) {
    EntityHandle body = sim::addBody({2.0f, 0.0f, 0.0f});
    frame([&] {
        callNative(FreezeEntity, body, 1);
        pin(body, 33646, {5.0f, 5.0f, 0.0f});
    });
    frame();
    EXPECT_FLOAT_EQ(sim::ped(body).position.x, 2.0f);
    frame([&] {
        callNative(FreezeEntity, body, 0);
        callNative(DetachEntity, body, 1, 1);
    });
    frame();
    EXPECT_FLOAT_EQ(sim::ped(body).position.x, 2.0f);
    EXPECT_TRUE(sim::ped(body).pins.empty());
}

TEST_F(BodyTest, PinningByATagInsteadOfAnIndexIsAFault) {
    EntityHandle body = sim::addBody({2.0f, 0.0f, 0.0f});
    frame([&] {
        callNative(PinBoneToPoint, body, 33646, 0.0f, 0.0f, 0.0f, 0, 0, 0, 1.0f, 1, 1, 1, 1, 1, 1,
                   1);
    });
    EXPECT_EQ(takeErrors().size(), 1u);
    EXPECT_TRUE(sim::ped(body).pins.empty());
}

TEST_F(BodyTest, ADeletedPedNoLongerExistsAnswersZerosAndItsUseIsNoted) {
    EntityHandle body = sim::addBody({3.0f, 4.0f, 0.0f});
    sim::deletePed(body);
    bool exists = true, dead = true;
    Vector3 at;
    at.x = 1.0f;
    at.y = 1.0f;
    std::vector<int> listed(8, 0);
    int count = 0;
    frame([&] {
        exists = callNative<bool>(EntityExists, body);
        dead = callNative<bool>(IsDead, body);
        at = callNative<Vector3>(EntityPosition, body, 0, 0);
        count = worldGetAllPeds(listed.data(), 8);
    });
    EXPECT_FALSE(exists);
    EXPECT_FALSE(dead);
    EXPECT_EQ(at.x, 0.0f);
    EXPECT_EQ(at.y, 0.0f);
    ASSERT_EQ(count, 2); // the player and the stale handle
    EXPECT_EQ(listed[1], body);
    ASSERT_EQ(sim::world().deletedHandleUses.size(), 2u); // exists itself is no use
    EXPECT_EQ(sim::world().deletedHandleUses[0].hash, IsDead);
    EXPECT_EQ(sim::world().deletedHandleUses[1].handle, body);
}

TEST_F(BodyTest, ThePedListWritesNoMoreThanTheBufferAndMayOverReport) {
    for (int i = 0; i < 1100; ++i) {
        sim::addPed({static_cast<float>(i), 0.0f, 0.0f});
    }
    std::vector<int> buffer(1025, -1);
    int written = 0, overReported = 0;
    frame([&] { written = worldGetAllPeds(buffer.data(), 1024); });
    sim::world().overReportCount = true;
    frame([&] { overReported = worldGetAllPeds(buffer.data(), 1024); });
    EXPECT_EQ(written, 1024);
    EXPECT_EQ(overReported, 1101);
    EXPECT_EQ(buffer[1024], -1);
    EXPECT_EQ(buffer[0], sim::world().player);
}

TEST_F(BodyTest, MakeLimpLastsItsTimeUnlessLimpIsNotAllowed) {
    EntityHandle ped = sim::addPed({1.0f, 0.0f, 0.0f});
    frame([&] { callNative(MakePedLimp, ped, 5000, 5000, 1, 1, 1, 0); });
    EXPECT_TRUE(sim::isLimp(sim::ped(ped)));
    sim::world().frameTimeMs = 1000;
    bool limpAt4 = false, limpAt5 = true;
    for (int i = 0; i < 4; ++i) {
        frame([&] { limpAt4 = callNative<bool>(IsLimp, ped); });
    }
    frame([&] { limpAt5 = callNative<bool>(IsLimp, ped); });
    EXPECT_TRUE(limpAt4);
    EXPECT_FALSE(limpAt5);
    frame([&] {
        callNative(AllowLimp, ped, 0);
        callNative(MakePedLimp, ped, 5000, 5000, 1, 1, 1, 0);
    });
    EXPECT_FALSE(sim::isLimp(sim::ped(ped)));
}

TEST_F(BodyTest, StateTestsAnswerWhatThePedHas) {
    EntityHandle body = sim::addPed({1.0f, 0.0f, 0.0f});
    EntityHandle mount = sim::addPed({0.0f, 1.0f, 0.0f});
    sim::Ped& p = sim::ped(body);
    p.configFlag11 = true;
    p.conditionValue = 7;
    p.attachedTo = mount;
    p.flaggedParts.set(10);
    bool flag11 = false, flag12 = true, toMount = false, toPlayer = true, part10 = false,
         part9 = true;
    std::int32_t value = 0, attached = 0;
    frame([&] {
        flag11 = callNative<bool>(PedConfigFlag, body, 11, 1);
        flag12 = callNative<bool>(PedConfigFlag, body, 12, 1);
        value = callNative<std::int32_t>(PlayerConditionValue, body);
        toMount = callNative<bool>(IsAttachedTo, body, mount);
        toPlayer = callNative<bool>(IsAttachedTo, body, sim::world().player);
        attached = callNative<std::int32_t>(AttachedTo, body);
        part10 = callNative<bool>(BodyPartFlagged, body, 10);
        part9 = callNative<bool>(BodyPartFlagged, body, 9);
    });
    EXPECT_TRUE(flag11);
    EXPECT_FALSE(flag12);
    EXPECT_EQ(value, 7);
    EXPECT_TRUE(toMount);
    EXPECT_FALSE(toPlayer);
    EXPECT_EQ(attached, mount);
    EXPECT_TRUE(part10);
    EXPECT_FALSE(part9);
}

TEST_F(BodyTest, TextKeysHashLikeControlNamesAndWeaponsAreWrittenThroughThePointer) {
    std::uint32_t aim = 0, unarmed = 0, slot0 = 7, slot1 = 7;
    bool revolverIsOneHanded = false, unarmedIsOneHanded = true;
    std::uint32_t revolver = sim::textKeyHash("weapon_revolver_cattleman");
    sim::playerPed().weapons[0] = revolver;
    frame([&] {
        aim = callNative<std::uint32_t>(TextKeyHash, "INPUT_AIM");
        unarmed = callNative<std::uint32_t>(TextKeyHash, assets::UnarmedWeapon);
        callNative<bool>(CurrentWeapon, sim::world().player, &slot0, 1, 0, 1);
        callNative<bool>(CurrentWeapon, sim::world().player, &slot1, 1, 1, 1);
        revolverIsOneHanded = callNative<bool>(WeaponClassTestA, revolver);
        unarmedIsOneHanded = callNative<bool>(WeaponClassTestA, unarmed);
    });
    EXPECT_EQ(aim, 0xF84FA74Fu);
    EXPECT_EQ(sim::textKeyHash("INPUT_SPRINT"), 0x8FFC75D6u);
    EXPECT_EQ(slot0, revolver);
    EXPECT_EQ(slot1, unarmed);
    EXPECT_TRUE(revolverIsOneHanded);
    EXPECT_FALSE(unarmedIsOneHanded);
}

TEST_F(BodyTest, ADisabledControlReadsOnlyThroughTheWhileDisabledTest) {
    constexpr std::uint32_t Sprint = 0x8FFC75D6;
    constexpr std::uint32_t MoveUd = 0xFDA83190;
    sim::holdControl(Sprint);
    sim::setControlDisabled(Sprint, true);
    sim::setControlValue(MoveUd, -0.75f);
    bool plain = true, whileDisabled = false;
    float stick = 0.0f;
    frame([&] {
        plain = callNative<bool>(ControlPressed, 0, Sprint);
        whileDisabled = callNative<bool>(ControlPressedWhileDisabled, 0, Sprint);
        stick = callNative<float>(ControlValue, 0, MoveUd);
    });
    EXPECT_FALSE(plain);
    EXPECT_TRUE(whileDisabled);
    EXPECT_FLOAT_EQ(stick, -0.75f);
}

} // namespace
