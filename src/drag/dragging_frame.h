// One frame of holding a body: the grip, the one-handed aiming mode, the drag
// clip and the steering.
#pragma once

#include "plugin/native_call.h"

enum class DraggingFrameResult {
    FirstFrame, // the body was frozen in place; nothing else happens this frame
    Held,       // the body is pinned to the player's hands
};

DraggingFrameResult runDraggingFrame(EntityHandle player);
