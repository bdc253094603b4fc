#include "files/output_file.h"

#include "play/platform.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <streambuf>
#include <system_error>

namespace simtool {

namespace {

namespace fs = std::filesystem;

constexpr const char* StandardOutput = "-";

} // namespace

// Writes to a C stream, and keeps the fault of the first write that failed.
class OutputFile::CStreamBuf : public std::streambuf {
  public:
    explicit CStreamBuf(std::FILE* file) : file_(file) {}

    // Flushes and closes the stream: false, with the first fault, when any
    // write failed.
    bool close(std::string& why) {
        if (std::fflush(file_) != 0) {
            noteFault();
        }
        if (std::fclose(file_) != 0) {
            noteFault();
        }
        file_ = nullptr;
        why = fault_;
        return fault_.empty();
    }
    ~CStreamBuf() override {
        if (file_ != nullptr) {
            std::fclose(file_);
        }
    }

  protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) {
            return traits_type::not_eof(c);
        }
        if (std::fputc(c, file_) == EOF) {
            noteFault();
            return traits_type::eof();
        }
        return c;
    }
    std::streamsize xsputn(const char* bytes, std::streamsize count) override {
        const std::size_t written = std::fwrite(bytes, 1, static_cast<std::size_t>(count), file_);
        if (written != static_cast<std::size_t>(count)) {
            noteFault();
        }
        return static_cast<std::streamsize>(written);
    }

  private:
    void noteFault() {
        if (fault_.empty()) {
            fault_ = errno != 0 ? std::strerror(errno) : "a write failed";
        }
    }

    std::FILE* file_;
    std::string fault_;
};

namespace {

// The file a name stands for: the end of its chain of symbolic links, which
// need not exist yet.
fs::path linkEnd(const fs::path& path) {
    fs::path at = path;
    std::error_code error;
    for (int hops = 0; hops < 40 && fs::is_symlink(fs::symlink_status(at, error)); ++hops) {
        fs::path target = fs::read_symlink(at, error);
        if (error) {
            break;
        }
        at = target.is_absolute() ? target : at.parent_path() / target;
    }
    return fs::weakly_canonical(fs::absolute(at, error), error);
}

bool sameFile(const std::string& a, const std::string& b) {
    std::error_code error;
    if (fs::exists(a, error) && fs::exists(b, error)) {
        return fs::equivalent(a, b, error) && !error;
    }
    return linkEnd(a) == linkEnd(b);
}

std::string reason() {
    return errno != 0 ? std::strerror(errno) : "no reason given";
}

} // namespace

std::optional<std::string> outputClash(const std::vector<FileRole>& inputs,
                                       const std::vector<FileRole>& outputs) {
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        const FileRole& output = outputs[i];
        if (output.path.empty() || output.path == StandardOutput) {
            if (!output.path.empty()) {
                for (std::size_t j = 0; j < i; ++j) {
                    if (outputs[j].path == StandardOutput) {
                        return outputs[j].role + " and " + output.role +
                               " both go to standard output (-): give one of them a file";
                    }
                }
            }
            continue;
        }
        std::error_code error;
        if (fs::is_directory(output.path, error)) {
            return output.role + " " + output.path + " is a folder, not a file";
        }
        for (const FileRole& input : inputs) {
            if (!input.path.empty() && sameFile(output.path, input.path)) {
                return output.role + " " + output.path + " is the same file as " + input.role +
                       " " + input.path;
            }
        }
        for (std::size_t j = 0; j < i; ++j) {
            if (!outputs[j].path.empty() && outputs[j].path != StandardOutput &&
                sameFile(output.path, outputs[j].path)) {
                return outputs[j].role + " " + outputs[j].path + " and " + output.role + " " +
                       output.path + " are the same file";
            }
        }
    }
    return std::nullopt;
}

OutputFile::OutputFile() : stream_(nullptr) {}

OutputFile::~OutputFile() {
    discard();
}

bool OutputFile::open(const std::string& path, std::string& why) {
    std::FILE* file = nullptr;
    errno = 0;
    if (path == StandardOutput) {
        file = standardOutputForFile();
    } else {
        const bool direct = isStreamFile(path);
        target_ = direct ? path : linkEnd(path).string();
        part_ = direct ? std::string() : target_ + ".part";
        file = std::fopen((direct ? target_ : part_).c_str(), "wb");
    }
    if (file == nullptr) {
        why = reason();
        part_.clear();
        return false;
    }
    buffer_ = std::make_unique<CStreamBuf>(file);
    stream_.rdbuf(buffer_.get());
    return true;
}

bool OutputFile::keep(std::string& why) {
    errno = 0;
    const bool written = buffer_->close(why);
    if (written && !part_.empty()) {
        std::error_code error;
        fs::rename(part_, target_, error);
        if (error) {
            why = error.message();
            return false;
        }
        part_.clear();
    }
    return written;
}

void OutputFile::discard() {
    // Closed first: Windows removes no file that is open.
    stream_.rdbuf(nullptr);
    buffer_.reset();
    if (!part_.empty()) {
        std::error_code ignored;
        fs::remove(part_, ignored);
        part_.clear();
    }
}

} // namespace simtool
