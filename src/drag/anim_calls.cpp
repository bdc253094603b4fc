#include "drag/anim_calls.h"

#include "drag/drag_assets.h"
#include "plugin/natives.h"

float distanceSquared(float x1, float y1, float z1, float x2, float y2, float z2) {
    return callNative<float>(natives::DistanceSquared, x1, y1, z1, x2, y2, z2);
}

bool isPedConfigFlagSet(EntityHandle ped) {
    return callNative<bool>(natives::PedConfigFlag, ped, 11, 1);
}

bool isPlayingDragClip(EntityHandle ped) {
    return callNative<bool>(natives::IsPlayingClip, ped, assets::DragClipDict, assets::DragClip, 3);
}

void pinBoneToPoint(EntityHandle entity, std::int32_t boneIndex, float x, float y, float z,
                    float strength) {
    callNative(natives::PinBoneToPoint, entity, boneIndex, x, y, z, 0, 0, 0, strength, 1, 1, 1, 1,
               1, 1, 1);
}

void setEntityPosition(EntityHandle entity, float x, float y, float z) {
    callNative(natives::SetEntityPosition, entity, x, y, z, 0, 0, 0, 0);
}

void showPromptGroupOnEntity(EntityHandle entity, std::int32_t group, GameString label) {
    callNative(natives::ShowPromptGroupOnEntity, entity, 2.0f, 2, 1, group, label, 2);
}

void makePedLimp(EntityHandle ped) {
    callNative(natives::MakePedLimp, ped, 5000, 5000, 1, 1, 1, 0);
}

Vector3 getPedBonePosition(EntityHandle ped, std::int32_t boneTag) {
    return callNative<Vector3>(natives::PedBonePosition, ped, boneTag, 0.0f, 0.0f, 0.0f);
}

void playClipTask(EntityHandle ped, const char* dict, const char* clip, float a, float b,
                  std::int32_t duration, std::int32_t flags, float startPhase, const char* filter) {
    callNative(natives::PlayClipTask, ped, dict, clip, a, b, duration, flags, startPhase, 0, 0, 0,
               filter, 0);
}

void loadAnimDict(const char* dict) {
    callNative(natives::RequestAnimDict, dict);
    while (!callNative<bool>(natives::AnimDictLoaded, dict)) {
        scriptWait(0);
    }
}
