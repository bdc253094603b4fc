// Prompts and the game strings that label them.
#include "sim/world/answer_support.h"
#include "sim/world/answers.h"
#include "sim/world/prompts.h"

namespace sim::answers {

// (10, "LITERAL_STRING", text) -> a game string that lasts until the end of
// the frame.
void MakeGameString(const NativeArgs& args, NativeResult& result) {
    std::string kind = textArg(args, 1);
    if (args.i32(0) != 10 || kind != "LITERAL_STRING") {
        reportError("make game string: expected (10, \"LITERAL_STRING\", text), got (" +
                    std::to_string(args.i32(0)) + ", \"" + kind + "\", ...)");
    }
    World& w = world();
    std::uint64_t handle = 0x6A5E000000000000ull | w.nextString++;
    w.strings[handle] = textArg(args, 2);
    result.setU64(handle);
}

// () -> a new prompt handle, never 0 and never one used before.
void PromptBegin(const NativeArgs&, NativeResult& result) {
    World& w = world();
    Prompt prompt;
    prompt.handle = w.nextPromptHandle++;
    prompt.createdAt = w.gameTimeMs;
    prompt.createdFrame = w.frame;
    w.prompts[prompt.handle] = prompt;
    ++w.promptsBegun;
    result.setI32(prompt.handle);
}

// (prompt, control hash)
void PromptSetControl(const NativeArgs& args, NativeResult&) {
    if (Prompt* prompt = promptArg(args, 0)) {
        prompt->control = args.u32(1);
    }
}

// (prompt, game string)
void PromptSetLabel(const NativeArgs& args, NativeResult&) {
    std::string text = gameStringText(args.word(1));
    if (Prompt* prompt = promptArg(args, 0)) {
        prompt->label = text;
    }
}

// (prompt, ms)
void PromptSetHoldTime(const NativeArgs& args, NativeResult&) {
    if (Prompt* prompt = promptArg(args, 0)) {
        prompt->holdTimeMs = args.i32(1);
    }
}

// (prompt)
void PromptFinish(const NativeArgs& args, NativeResult&) {
    if (Prompt* prompt = promptArg(args, 0)) {
        prompt->finished = true;
    }
}

// (prompt, on)
void PromptSetEnabled(const NativeArgs& args, NativeResult&) {
    if (Prompt* prompt = promptArg(args, 0)) {
        prompt->enabled = args.flag(1);
    }
}

// (prompt, on)
void PromptSetVisible(const NativeArgs& args, NativeResult&) {
    if (Prompt* prompt = promptArg(args, 0)) {
        prompt->visible = args.flag(1);
    }
}

// (prompt, group, 0)
void PromptSetGroup(const NativeArgs& args, NativeResult&) {
    if (Prompt* prompt = promptArg(args, 0)) {
        prompt->group = args.i32(1);
    }
}

// (prompt)
void PromptDelete(const NativeArgs& args, NativeResult&) {
    if (promptArg(args, 0) != nullptr) {
        World& w = world();
        w.prompts.erase(args.i32(0));
        ++w.promptsDeleted;
    }
}

// (prompt)
void PromptHoldCompleted(const NativeArgs& args, NativeResult& result) {
    const Prompt* prompt = promptArg(args, 0);
    result.setBool(prompt != nullptr && isHoldCompleted(*prompt));
}

// (entity, 2.0, 2, 1, group, game string, 2): remembered for this frame.
void ShowPromptGroupOnEntity(const NativeArgs& args, NativeResult&) {
    std::string label = gameStringText(args.word(5));
    if (const Ped* ped = pedArg(args, 0)) {
        world().shownThisFrame.push_back({ped->handle, args.i32(4), label});
    }
}

} // namespace sim::answers
