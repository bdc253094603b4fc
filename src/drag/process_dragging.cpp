#include "drag/process_dragging.h"

// Placeholder until the drag feature lands: a frame does nothing.
void ProcessDragging() {}
