#include "drag/drag_assets.h"
#include "drag/drag_prompt.h"
#include "plugin/natives.h"

namespace {

// One bone of a grip: the tag to use depends on two body-part tests.
struct GripChain {
    std::int32_t firstPart;
    std::int32_t secondPart;
    std::int32_t plainTag;        // neither part flagged
    std::int32_t firstFlaggedTag; // only the first part flagged
    std::int32_t secondFlaggedTag;
};

constexpr GripChain LegChain1{9, 10, assets::LeftFootBone, 55120, 65478};
constexpr GripChain LegChain2{12, 13, assets::RightFootBone, 43312, 6884};
constexpr GripChain ArmChain1{3, 4, assets::LeftHandBone, 53675, 37873};
constexpr GripChain ArmChain2{6, 7, assets::RightHandBone, 54187, 46065};

std::int32_t chainTag(EntityHandle body, const GripChain& chain) {
    const bool first = callNative<bool>(natives::BodyPartFlagged, body, chain.firstPart);
    const bool second = callNative<bool>(natives::BodyPartFlagged, body, chain.secondPart);
    if (second) {
        return chain.secondFlaggedTag;
    }
    return first ? chain.firstFlaggedTag : chain.plainTag;
}

} // namespace

GripBonePair gripBones(EntityHandle body, std::int32_t grabPoint) {
    const GripChain* first = &ArmChain1;
    const GripChain* second = &LegChain1;
    switch (grabPoint) {
    case 0:
        first = &LegChain1;
        second = &LegChain2;
        break;
    case 1:
        first = &ArmChain1;
        second = &ArmChain2;
        break;
    case 3:
        first = &ArmChain2;
        second = &LegChain2;
        break;
    default:
        break;
    }
    const std::int32_t a = chainTag(body, *first);
    const std::int32_t b = chainTag(body, *second);
    return {a, b};
}
