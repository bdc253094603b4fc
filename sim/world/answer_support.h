// What the answering functions share: finding the ped or prompt an argument
// names (and noting a handle that names none), and reading game strings.
#pragma once

#include "sim/host.h"
#include "sim/world/world.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace sim {

// The ped named by argument word i, or null after noting a stale use.
Ped* pedArg(const NativeArgs& args, std::size_t i);

// The prompt named by argument word i, or null after noting a stale use.
Prompt* promptArg(const NativeArgs& args, std::size_t i);

// The text of argument word i, or empty (after reporting a fault) for null.
std::string textArg(const NativeArgs& args, std::size_t i);

// The text behind a game string of this frame; a fault when there is none.
std::string gameStringText(std::uint64_t handle);

// The hash of the native being answered.
std::uint64_t currentNative();

} // namespace sim
