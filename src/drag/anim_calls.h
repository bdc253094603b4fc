// Typed calls for the natives the drag feature calls with fixed extra words,
// and the wait for an animation dictionary.
#pragma once

#include "plugin/native_call.h"

#include <cstdint>

float distanceSquared(float x1, float y1, float z1, float x2, float y2, float z2);
bool isPedConfigFlagSet(EntityHandle ped);
bool isPlayingDragClip(EntityHandle ped);
void pinBoneToPoint(EntityHandle entity, std::int32_t boneIndex, float x, float y, float z,
                    float strength);
void setEntityPosition(EntityHandle entity, float x, float y, float z);
void showPromptGroupOnEntity(EntityHandle entity, std::int32_t group, GameString label);
void makePedLimp(EntityHandle ped);
Vector3 getPedBonePosition(EntityHandle ped, std::int32_t boneTag);
void playClipTask(EntityHandle ped, const char* dict, const char* clip, float a, float b,
                  std::int32_t duration, std::int32_t flags, float startPhase, const char* filter);

// Requests the dictionary and waits, a game frame at a time, until it has
// loaded. There is no time limit: the game always loads a dictionary it has.
void loadAnimDict(const char* dict);
