#include "play/outputs.h"

#include <cstdio>

namespace simtool {

Outputs::Outputs(const OutputRequest& request, std::string subject)
    : request_(request), subject_(std::move(subject)) {}

Outputs::~Outputs() = default;

bool Outputs::open() {
    std::vector<FileRole> outputs{{request_.tracePath, "--trace"}, {request_.svgPath, "--svg"}};
    outputs.insert(outputs.end(), request_.otherOutputs.begin(), request_.otherOutputs.end());
    if (auto clash = outputClash(request_.inputs, outputs)) {
        std::fprintf(stderr, "pallbrook-sim: %s; %s was not played, nothing written\n",
                     clash->c_str(), subject_.c_str());
        return false;
    }
    const std::pair<OutputFile*, const std::string*> files[] = {{&trace_, &request_.tracePath},
                                                                {&picture_, &request_.svgPath}};
    for (const auto& [file, path] : files) {
        std::string why;
        if (!path->empty() && !file->open(*path, why)) {
            std::fprintf(
                stderr, "pallbrook-sim: cannot write %s (%s): %s was not played, nothing written\n",
                path->c_str(), why.c_str(), subject_.c_str());
            return false;
        }
    }
    return true;
}

std::string Outputs::whatWasWritten() const {
    std::string said = written_.empty() ? "nothing written" : written_ + " written";
    return said + (leavesAlso_.empty() ? "" : " (" + leavesAlso_ + ")");
}

bool Outputs::keep(OutputFile& file, const std::string& path, const char* what) {
    std::string why;
    if (!file.keep(why)) {
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
        picture_.stream() << pictureOf(text, partOf(track, span));
    } else if (!request_.svgPath.empty()) {
        picture_.stream() << pictureOf(text, track);
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
