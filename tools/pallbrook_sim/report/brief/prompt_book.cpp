#include "report/brief/prompt_book.h"

#include "plugin/natives.h"
#include "sim/world/prompts.h"

namespace simtool {

namespace {

// What a call that sets one of a prompt's properties does to it; a call of
// another native leaves it as it is.
void setPromptProperty(sim::PromptView& prompt, const sim::NativeCall& call,
                       const std::unordered_map<std::uint64_t, std::string>& strings) {
    using namespace natives;
    const sim::NativeArgs& args = call.args;
    switch (call.hash) {
    case PromptSetControl:
        prompt.control = args.u32(1);
        break;
    case PromptSetLabel: {
        auto text = strings.find(args.word(1));
        prompt.label = text != strings.end() ? text->second : "";
        break;
    }
    case PromptSetHoldTime:
        prompt.holdTimeMs = args.i32(1);
        break;
    case PromptFinish:
        prompt.finished = true;
        break;
    case PromptSetEnabled:
        prompt.enabled = args.flag(1);
        break;
    case PromptSetVisible:
        prompt.visible = args.flag(1);
        break;
    case PromptSetGroup:
        prompt.group = args.i32(1);
        break;
    default:
        break;
    }
}

} // namespace

void PromptBook::onCall(const sim::NativeCall& call) {
    using namespace natives;
    const sim::NativeArgs& args = call.args;
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
        if (args.count >= 1) {
            auto found = prompts_.find(args.i32(0));
            if (found != prompts_.end()) {
                setPromptProperty(found->second, call, strings_);
            }
        }
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
