#include "report/brief/prompt_book.h"

#include "plugin/natives.h"
#include "sim/world/prompts.h"

namespace simtool {

void PromptBook::onCall(const sim::NativeCall& call) {
    using namespace natives;
    const sim::NativeArgs& args = call.args;
    auto prompt = [&]() -> sim::PromptView* {
        auto found = prompts_.find(args.i32(0));
        return found != prompts_.end() ? &found->second : nullptr;
    };
    switch (call.hash) {
    case MakeGameString:
        if (args.text(2) != nullptr) {
            strings_[call.result.words[0]] = args.text(2);
        }
        break;
    case PromptBegin: {
        sim::PromptView view;
        view.handle = call.result.i32();
        prompts_[view.handle] = view;
        break;
    }
    case PromptSetControl:
        if (auto* p = prompt()) {
            p->control = args.u32(1);
        }
        break;
    case PromptSetLabel:
        if (auto* p = prompt()) {
            auto text = strings_.find(args.word(1));
            p->label = text != strings_.end() ? text->second : "";
        }
        break;
    case PromptSetHoldTime:
        if (auto* p = prompt()) {
            p->holdTimeMs = args.i32(1);
        }
        break;
    case PromptFinish:
        if (auto* p = prompt()) {
            p->finished = true;
        }
        break;
    case PromptSetEnabled:
        if (auto* p = prompt()) {
            p->enabled = args.flag(1);
        }
        break;
    case PromptSetVisible:
        if (auto* p = prompt()) {
            p->visible = args.flag(1);
        }
        break;
    case PromptSetGroup:
        if (auto* p = prompt()) {
            p->group = args.i32(1);
        }
        break;
    case PromptDelete:
        prompts_.erase(args.i32(0));
        break;
    case PromptGroupOf:
        if (call.result.i32() != -1) {
            groupOwner_[call.result.i32()] = args.i32(0);
        }
        break;
    case ShowPromptGroupOnEntity:
        shownThisFrame_.push_back({args.i32(0), args.i32(4), {}});
        break;
    default:
        break;
    }
}

std::vector<sim::PromptView> PromptBook::prompts() const {
    std::vector<sim::PromptView> views;
    for (const auto& [handle, prompt] : prompts_) {
        sim::PromptView view = prompt;
        // The group's owner is the entity the game named for it.
        view.entity = sim::promptEntity(prompt.group, shownThisFrame_, [this](std::int32_t group) {
            auto owner = groupOwner_.find(group);
            return owner != groupOwner_.end() ? owner->second : 0;
        });
        views.push_back(view);
    }
    return views;
}

} // namespace simtool
