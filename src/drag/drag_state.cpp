#include "drag/drag_state.h"

DragStateRecord DragState;
