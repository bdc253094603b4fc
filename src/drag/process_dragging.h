// One frame of the drag feature.
#pragma once

void ProcessDragging();

// Ends whatever the drag feature had under way, after a frame was cut off by
// a failure: the prompt goes, a held body is detached, a put-down ends as its
// follow-up ends it (the player's tasks cleared), and the record and the
// deferred actions are back at rest.
void abandonDrag();
