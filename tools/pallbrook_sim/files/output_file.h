// Every file a command writes goes through here, so that none of them can
// destroy what the user gave:
// - an output that is the same file on disk as an input or as another output
//   (through a link or another spelling of the path too) is refused before
//   anything is written;
// - a regular file, or a name not taken yet, is written as NAME.part beside
//   it and takes its name only when kept; a symbolic link is followed, so the
//   link stays and its target gets the content;
// - a FIFO or a device is written to directly;
// - "-" is standard output, and what the program prints goes to standard
//   error from then on;
// - a folder is refused.
// Nothing but the .part file is ever removed.
#pragma once

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace simtool {

// A file a command reads or writes, and how the messages name it.
struct FileRole {
    std::string path; // empty: not given
    std::string role; // "the capture", "--trace"
};

// Why the outputs cannot be written as asked: one of them is an input, two of
// them are one file, "-" is given twice, or one is a folder. Nothing when
// they may be written.
std::optional<std::string> outputClash(const std::vector<FileRole>& inputs,
                                       const std::vector<FileRole>& outputs);

class OutputFile {
  public:
    OutputFile();
    ~OutputFile(); // removes the .part file of an output not kept
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Opens `path` for writing as above. False, with the reason, when it
    // cannot be.
    bool open(const std::string& path, std::string& why);
    std::ostream& stream() { return stream_; }
    // Finishes the file: flushes it and gives a .part file its name. False,
    // with the reason, when that fails; the .part file then goes, and what
    // stood at the name stays as it was.
    bool keep(std::string& why);

  private:
    class CStreamBuf;
    void discard();

    std::string part_;   // the temporary name, empty when written directly
    std::string target_; // the name it takes
    std::unique_ptr<CStreamBuf> buffer_;
    std::ostream stream_;
};

} // namespace simtool
