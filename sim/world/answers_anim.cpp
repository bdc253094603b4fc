// Animation dictionaries, clips played as tasks, and clearing tasks.
#include "sim/world/anim.h"
#include "sim/world/answer_support.h"
#include "sim/world/answers.h"

namespace sim::answers {

namespace {

// The ped's clip when it plays this dictionary's clip (words 1 and 2).
ClipTask* playing(const NativeArgs& args) {
    Ped* ped = pedArg(args, 0);
    if (ped == nullptr || !ped->clip.active) {
        return nullptr;
    }
    std::string dict = textArg(args, 1);
    std::string clip = textArg(args, 2);
    return ped->clip.dict == dict && ped->clip.clip == clip ? &ped->clip : nullptr;
}

} // namespace

// (dict): the first request starts the load.
void RequestAnimDict(const NativeArgs& args, NativeResult&) {
    World& w = world();
    w.dicts.try_emplace(textArg(args, 0), AnimDict{w.frame});
}

// (dict)
void AnimDictLoaded(const NativeArgs& args, NativeResult& result) {
    result.setBool(isDictLoaded(textArg(args, 0)));
}

// (ped, dict, clip, blend in, blend out, duration ms, flags, start phase, 0,
// 0, 0, filter, 0): replaces whatever clip the ped played. A clip from a
// dictionary that has not loaded is a fault: the game would not play it.
void PlayClipTask(const NativeArgs& args, NativeResult&) {
    Ped* ped = pedArg(args, 0);
    if (ped == nullptr) {
        return;
    }
    ClipTask clip;
    clip.dict = textArg(args, 1);
    clip.clip = textArg(args, 2);
    if (!isDictLoaded(clip.dict)) {
        reportError("play clip task: dictionary \"" + clip.dict + "\" is not loaded");
        return;
    }
    clip.active = true;
    clip.blendIn = args.f32(3);
    clip.blendOut = args.f32(4);
    clip.durationMs = args.i32(5);
    clip.flags = args.i32(6);
    clip.startPhase = args.f32(7);
    clip.phase = clip.startPhase;
    clip.filter = textArg(args, 11);
    clip.startFrame = world().frame;
    ped->clip = clip;
}

// (ped, dict, clip, 3)
void IsPlayingClip(const NativeArgs& args, NativeResult& result) {
    result.setBool(playing(args) != nullptr);
}

// (ped, dict, clip) -> phase 0 to 1, or 0 when that clip does not play.
void ClipPhase(const NativeArgs& args, NativeResult& result) {
    const ClipTask* clip = playing(args);
    result.setF32(clip != nullptr ? clip->phase : 0.0f);
}

// (ped, dict, clip, blend out)
void StopClip(const NativeArgs& args, NativeResult&) {
    if (ClipTask* clip = playing(args)) {
        clip->active = false;
    }
}

// (ped, dict, clip, speed)
void ClipSpeed(const NativeArgs& args, NativeResult&) {
    if (ClipTask* clip = playing(args)) {
        clip->speed = args.f32(3);
    }
}

// (ped, 1, 0)
void ClearTasks(const NativeArgs& args, NativeResult&) {
    if (Ped* ped = pedArg(args, 0)) {
        ped->clip.active = false;
    }
}

// (ped, 1, 1)
void ClearTasksAtOnce(const NativeArgs& args, NativeResult&) {
    if (Ped* ped = pedArg(args, 0)) {
        ped->clip.active = false;
    }
}

} // namespace sim::answers
