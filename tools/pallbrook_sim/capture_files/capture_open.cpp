#include "capture_files/capture_open.h"

#include "files/input_file.h"

#include <cstdio>

namespace simtool {

void reportRefused(const std::string& file, const capture::CaptureReadError& error) {
    std::fprintf(stderr, "pallbrook-sim: %s: refused: %s; nothing written\n", file.c_str(),
                 capture::describe(error).c_str());
}

bool openCaptureFile(const std::string& file, OpenedCapture& opened) {
    std::string fault;
    std::optional<std::string> bytes = readInputFile(file, fault);
    if (!bytes) {
        std::fprintf(stderr, "pallbrook-sim: %s %s; nothing written\n", file.c_str(),
                     fault.c_str());
        return false;
    }
    opened.bytes.assign(bytes->begin(), bytes->end());
    if (auto error = capture::openCapture(opened.reader, opened.bytes)) {
        reportRefused(file, *error);
        return false;
    }
    return true;
}

} // namespace simtool
