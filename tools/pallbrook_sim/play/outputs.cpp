#include "play/outputs.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace simtool {

namespace {

namespace fs = std::filesystem;

std::string partName(const std::string& path) {
    return path + ".part";
}

std::string reason() {
    return errno != 0 ? std::strerror(errno) : "no reason given";
}

} // namespace

Outputs::Outputs(const OutputRequest& request, std::string subject)
    : request_(request), subject_(std::move(subject)) {}

Outputs::~Outputs() {
    // Closed first: Windows removes no file that is open.
    trace_.close();
    picture_.close();
    std::error_code ignored;
    for (const std::string* path : {&request_.tracePath, &request_.svgPath}) {
        if (!path->empty()) {
            fs::remove(partName(*path), ignored);
        }
    }
}

bool Outputs::open() {
    const std::pair<std::ofstream*, const std::string*> files[] = {{&trace_, &request_.tracePath},
                                                                   {&picture_, &request_.svgPath}};
    for (const auto& [stream, path] : files) {
        if (path->empty()) {
            continue;
        }
        errno = 0;
        stream->open(partName(*path), std::ios::binary | std::ios::trunc);
        if (!*stream) {
            std::fprintf(
                stderr, "pallbrook-sim: cannot write %s (%s): %s was not played, nothing written\n",
                path->c_str(), reason().c_str(), subject_.c_str());
            return false;
        }
    }
    return true;
}

std::string Outputs::whatWasWritten() const {
    std::string said = written_.empty() ? "nothing written" : written_ + " written";
    return said + (leavesAlso_.empty() ? "" : " (" + leavesAlso_ + ")");
}

bool Outputs::keep(std::ofstream& stream, const std::string& path, const char* what) {
    errno = 0;
    stream.close();
    std::error_code error;
    if (stream) {
        fs::rename(partName(path), path, error);
        if (error) {
            // A system that will not rename over a file: the old one goes first.
            fs::remove(path, error);
            fs::rename(partName(path), path, error);
        }
    }
    if (!stream || error) {
        const std::string why = error ? error.message() : reason();
        std::fprintf(stderr, "pallbrook-sim: %s: cannot write %s %s (%s); %s\n", subject_.c_str(),
                     what, path.c_str(), why.c_str(), whatWasWritten().c_str());
        return false;
    }
    written_ += (written_.empty() ? "" : " and ") + std::string(what) + " " + path;
    return true;
}

int Outputs::finish(int status, const Track& track, PictureText text) {
    const PartChoice& part = request_.part;
    if (!request_.svgPath.empty() && (part.frames || part.drag)) {
        FrameSpan span;
        if (auto wrong = chooseFrames(track, part, span)) {
            std::fprintf(stderr, "pallbrook-sim: %s: %s; %s\n", subject_.c_str(), wrong->c_str(),
                         whatWasWritten().c_str());
            return 2;
        }
        text.description += "; " + (part.drag ? "drag " + std::to_string(*part.drag) + ", " : "") +
                            "frames " + std::to_string(span.first) + " to " +
                            std::to_string(span.last);
        picture_ << pictureOf(text, partOf(track, span));
    } else if (!request_.svgPath.empty()) {
        picture_ << pictureOf(text, track);
    }
    if (!request_.tracePath.empty() && !keep(trace_, request_.tracePath, "the trace")) {
        return 2;
    }
    if (!request_.svgPath.empty() && !keep(picture_, request_.svgPath, "the picture")) {
        return 2;
    }
    return status;
}

} // namespace simtool
