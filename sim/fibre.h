// The script fibre: the host resumes it once per frame, and the script hands
// control back from scriptWait. ucontext on Linux, Windows fibres on Windows.
#pragma once

#include <cstddef>
#include <memory>

namespace sim {

using FibreEntry = void (*)();

class ScriptFibre {
  public:
    explicit ScriptFibre(FibreEntry entry, std::size_t stackSize = 512 * 1024);
    ~ScriptFibre();
    ScriptFibre(const ScriptFibre&) = delete;
    ScriptFibre& operator=(const ScriptFibre&) = delete;

    // Runs the script until it yields or its entry returns.
    void resume();
    // Called on the fibre: hands control back to whoever resumed it.
    void yieldToHost();

    bool finished() const { return finished_; }
    bool running() const { return running_; }

    struct Impl;

  private:
    std::unique_ptr<Impl> impl_;
    FibreEntry entry_;
    bool finished_ = false;
    bool running_ = false;
    friend struct Impl;
};

// The fibre that is running now, or null on the host's own stack.
ScriptFibre* currentFibre();

} // namespace sim
