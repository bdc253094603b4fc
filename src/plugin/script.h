// The script entry: reads the settings once, then runs the drag feature once
// per game frame for as long as the host resumes the script fibre.
#pragma once

void runScript() noexcept;
