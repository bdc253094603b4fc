// What a command writes besides its brief: the call trace and the picture,
// written as files/output_file.h says. Each takes its name only when the
// command ends without refusing anything, so that a refused command (exit
// status 2) writes neither and leaves a file of that name as it was.
#pragma once

#include "files/output_file.h"
#include "report/picture/picture.h"
#include "report/track.h"
#include "report/track_part.h"

#include <ostream>
#include <string>
#include <vector>

namespace simtool {

struct OutputRequest {
    std::string tracePath; // empty: no trace
    std::string svgPath;   // empty: no picture
    PartChoice part;       // what the picture draws
    // The files the command reads, and what else it writes (a kept folder's
    // Pallbrook.ini): no output may be one of them.
    std::vector<FileRole> inputs;
    std::vector<FileRole> otherOutputs;
};

class Outputs {
  public:
    // `subject` is the file the command plays, named in its messages.
    Outputs(const OutputRequest& request, std::string subject);
    ~Outputs();
    Outputs(const Outputs&) = delete;
    Outputs& operator=(const Outputs&) = delete;

    // Opens the files asked for. When one cannot be written, or is one of
    // the inputs or another output, says so and that nothing was run or
    // written, and returns false.
    bool open();
    // The trace's stream, or null when no trace is asked for.
    std::ostream* trace() { return request_.tracePath.empty() ? nullptr : &trace_.stream(); }
    // What else the run leaves (the plugin's files in a kept folder), told
    // with a refusal.
    void leavesAlso(std::string what) { leavesAlso_ = std::move(what); }

    // "; nothing written", or what was, for a message that stops the command.
    std::string whatWasWritten() const;
    // Draws the part of the track asked for and gives both files their
    // names. Returns `status`, or 2 when the run does not have that part or a
    // file cannot be written (said, with what was written).
    int finish(int status, const Track& track, PictureText text);

  private:
    bool keep(OutputFile& file, const std::string& path, const char* what);

    OutputRequest request_;
    std::string subject_;
    OutputFile trace_;
    OutputFile picture_;
    std::string written_; // the files given their names, for the messages
    std::string leavesAlso_;
};

} // namespace simtool
