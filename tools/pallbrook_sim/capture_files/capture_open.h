// Opening a capture file for a command of the tool: its bytes read and its
// chunks checked, or the refusal said on standard error the same way by every
// command that reads a capture (exit status 2).
#pragma once

#include "capture/format/reader/capture_reader.h"

#include <string>
#include <vector>

namespace simtool {

struct OpenedCapture {
    std::vector<std::uint8_t> bytes;
    capture::CaptureFrameReader reader; // over bytes: the record stays where it is
};

// True when the file is open; false after the refusal has been printed.
bool openCaptureFile(const std::string& file, OpenedCapture& opened);

// A record that could not be read, after the file was opened.
void reportRefused(const std::string& file, const capture::CaptureReadError& error);

} // namespace simtool
