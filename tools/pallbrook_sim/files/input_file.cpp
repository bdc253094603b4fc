#include "files/input_file.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace simtool {

std::optional<std::string> readInputFile(const std::string& path, std::string& fault) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (fs::is_directory(status)) {
        fault = "is a folder, not a file";
        return std::nullopt;
    }
    if (fs::exists(status) && !fs::is_regular_file(status)) {
        // A FIFO or a device: reading it could wait for ever, or never end.
        fault = "is no regular file (a FIFO, a device or a socket)";
        return std::nullopt;
    }
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    std::string bytes;
    try {
        if (in) {
            bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
    } catch (const std::ios_base::failure&) {
        in.setstate(std::ios::badbit);
    }
    if (!in.is_open() || in.bad()) {
        fault = std::string("cannot be read (") +
                (errno != 0 ? std::strerror(errno) : "no reason given") + ")";
        return std::nullopt;
    }
    if (bytes.empty()) {
        fault = "is empty";
        return std::nullopt;
    }
    return bytes;
}

} // namespace simtool
