// One frame of the drag feature.
#pragma once

void ProcessDragging();
