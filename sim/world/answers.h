// The functions that answer the world's natives, one per native, grouped by
// the file that defines them. Only the native table uses these names.
#pragma once

#include "sim/host.h"

namespace sim::answers {

// answers_peds.cpp: who the peds are and what state they are in.
void playerPed(const NativeArgs&, NativeResult&);
void entityExists(const NativeArgs&, NativeResult&);
void isPlayer(const NativeArgs&, NativeResult&);
void isDead(const NativeArgs&, NativeResult&);
void isRidingMount(const NativeArgs&, NativeResult&);
void isFalling(const NativeArgs&, NativeResult&);
void isSwimming(const NativeArgs&, NativeResult&);
void isInVehicle(const NativeArgs&, NativeResult&);
void isIncapacitated(const NativeArgs&, NativeResult&);
void isLimp(const NativeArgs&, NativeResult&);
void isCarrying(const NativeArgs&, NativeResult&);
void conditionTest(const NativeArgs&, NativeResult&);
void conditionValue(const NativeArgs&, NativeResult&);
void conditionTestB(const NativeArgs&, NativeResult&);
void configFlag(const NativeArgs&, NativeResult&);
void mountOf(const NativeArgs&, NativeResult&);
void isAttached(const NativeArgs&, NativeResult&);
void isAttachedTo(const NativeArgs&, NativeResult&);
void attachedTo(const NativeArgs&, NativeResult&);
void bodyPartFlagged(const NativeArgs&, NativeResult&);
void promptGroupOf(const NativeArgs&, NativeResult&);

// answers_placement.cpp: where things are and how they are held.
void entityPosition(const NativeArgs&, NativeResult&);
void setEntityPosition(const NativeArgs&, NativeResult&);
void setEntityHeading(const NativeArgs&, NativeResult&);
void headingOfDirection(const NativeArgs&, NativeResult&);
void distanceSquared(const NativeArgs&, NativeResult&);
void groundHeight(const NativeArgs&, NativeResult&);
void boneIndex(const NativeArgs&, NativeResult&);
void bonePosition(const NativeArgs&, NativeResult&);
void pinBone(const NativeArgs&, NativeResult&);
void detach(const NativeArgs&, NativeResult&);
void freeze(const NativeArgs&, NativeResult&);
void noCollision(const NativeArgs&, NativeResult&);
void makeLimp(const NativeArgs&, NativeResult&);
void allowLimp(const NativeArgs&, NativeResult&);

// answers_anim.cpp: dictionaries, clips and tasks.
void requestDict(const NativeArgs&, NativeResult&);
void dictLoaded(const NativeArgs&, NativeResult&);
void playClip(const NativeArgs&, NativeResult&);
void isPlayingClip(const NativeArgs&, NativeResult&);
void clipPhase(const NativeArgs&, NativeResult&);
void stopClip(const NativeArgs&, NativeResult&);
void clipSpeed(const NativeArgs&, NativeResult&);
void clearTasks(const NativeArgs&, NativeResult&);
void clearTasksAtOnce(const NativeArgs&, NativeResult&);

// answers_prompts.cpp: prompts and game strings.
void makeGameString(const NativeArgs&, NativeResult&);
void promptBegin(const NativeArgs&, NativeResult&);
void promptSetControl(const NativeArgs&, NativeResult&);
void promptSetLabel(const NativeArgs&, NativeResult&);
void promptSetHoldTime(const NativeArgs&, NativeResult&);
void promptFinish(const NativeArgs&, NativeResult&);
void promptSetEnabled(const NativeArgs&, NativeResult&);
void promptSetVisible(const NativeArgs&, NativeResult&);
void promptSetGroup(const NativeArgs&, NativeResult&);
void promptDelete(const NativeArgs&, NativeResult&);
void promptHoldCompleted(const NativeArgs&, NativeResult&);
void showPromptGroupOnEntity(const NativeArgs&, NativeResult&);

// answers_input.cpp: the timer, controls, weapons and text keys.
void gameTimer(const NativeArgs&, NativeResult&);
void controlPressed(const NativeArgs&, NativeResult&);
void controlPressedWhileDisabled(const NativeArgs&, NativeResult&);
void controlValue(const NativeArgs&, NativeResult&);
void inputIsKeyboard(const NativeArgs&, NativeResult&);
void currentWeapon(const NativeArgs&, NativeResult&);
void textKeyHash(const NativeArgs&, NativeResult&);
void weaponClassA(const NativeArgs&, NativeResult&);
void weaponClassB(const NativeArgs&, NativeResult&);

} // namespace sim::answers
