#include "capture_files/capture_open.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

namespace simtool {

void reportRefused(const std::string& file, const capture::CaptureReadError& error) {
    std::fprintf(stderr, "pallbrook-sim: %s: refused: %s; nothing written\n", file.c_str(),
                 capture::describe(error).c_str());
}

bool openCaptureFile(const std::string& file, OpenedCapture& opened) {
    errno = 0;
    std::ifstream in(file, std::ios::binary);
    if (in) {
        opened.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    if (!in.is_open() || in.bad()) {
        std::fprintf(stderr, "pallbrook-sim: cannot read %s (%s); nothing written\n", file.c_str(),
                     errno != 0 ? std::strerror(errno) : "no reason given");
        return false;
    }
    if (auto error = capture::openCapture(opened.reader, opened.bytes)) {
        reportRefused(file, *error);
        return false;
    }
    return true;
}

} // namespace simtool
