// The cost of one frame of the plugin in the stand-in host, against its floor:
// the same host calls with the same words issued by a plain loop.
//
// Each iteration runs a batch of plugin frames and a batch of floor frames
// back to back (which goes first alternates), so that both see the same
// machine: on a shared machine the load changes from one second to the next,
// and the ratio of two batches a millisecond apart is steadier than that of
// two benchmarks run apart. Counters: plugin_ns and floor_ns per frame,
// ratio = plugin / floor, natives per frame. The iteration time is the time
// of both batches. At the end a table gives the medians per scene.
#include "frame_scenes.h"

#include "support/on_fibre.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double nanoseconds(Clock::duration d) {
    return std::chrono::duration<double, std::nano>(d).count();
}

// At least about 200 microseconds per batch, so that the clock's own cost and
// resolution do not count.
int batchSize(const bench::Floor& floor) {
    const auto start = Clock::now();
    for (int i = 0; i < 8; ++i) {
        bench::floorFrame(floor);
        bench::endFrame();
    }
    const double perFrame = nanoseconds(Clock::now() - start) / 8.0;
    const double frames = 200000.0 / (perFrame > 1.0 ? perFrame : 1.0);
    return frames < 1.0 ? 1 : static_cast<int>(frames);
}

void measure(benchmark::State& state, const bench::Scene& scene) {
    bench::Floor floor;
    try {
        scene.setUp();
        floor = bench::recordFloor();
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
        return;
    }
    double pluginNs = 0.0;
    double floorNs = 0.0;
    double frames = 0.0;
    runOnFibre([&] {
        const int batch = batchSize(floor);
        auto plugin = [batch] {
            const auto start = Clock::now();
            for (int i = 0; i < batch; ++i) {
                bench::pluginFrame();
                bench::endFrame();
            }
            return nanoseconds(Clock::now() - start);
        };
        auto replay = [batch, &floor] {
            const auto start = Clock::now();
            for (int i = 0; i < batch; ++i) {
                bench::floorFrame(floor);
                bench::endFrame();
            }
            return nanoseconds(Clock::now() - start);
        };
        bool pluginFirst = true;
        for (auto _ : state) {
            double p = 0.0;
            double f = 0.0;
            if (pluginFirst) {
                p = plugin();
                f = replay();
            } else {
                f = replay();
                p = plugin();
            }
            pluginFirst = !pluginFirst;
            pluginNs += p;
            floorNs += f;
            frames += batch;
            state.SetIterationTime((p + f) * 1e-9);
        }
    });
    if (const std::string faults = bench::hostFaults(); !faults.empty()) {
        state.SkipWithError(faults.c_str());
        return;
    }
    state.counters["natives"] = static_cast<double>(floor.calls.size());
    state.counters["plugin_ns"] = pluginNs / frames;
    state.counters["floor_ns"] = floorNs / frames;
    state.counters["ratio"] = pluginNs / floorNs;
}

// Whether a run ended in an error or was skipped: Google Benchmark 1.8 put
// `skipped` where 1.7 (Debian 12) has `error_occurred`.
template <typename BenchmarkRun> bool runFailed(const BenchmarkRun& run) {
    if constexpr (requires { run.skipped; }) {
        return static_cast<bool>(run.skipped);
    } else {
        return run.error_occurred;
    }
}

// The console report, then the table of the medians (or of the single run
// when there are no repetitions).
class FloorTableReporter : public benchmark::ConsoleReporter {
  public:
    explicit FloorTableReporter(OutputOptions options) : ConsoleReporter(options) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
            if (runFailed(run) || !(median || single)) {
                continue;
            }
            Entry& entry = table_[run.run_name.function_name];
            for (auto& [name, counter] : run.counters) {
                entry[name] = counter.value;
            }
        }
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\n%-24s %8s %12s %12s %7s %12s\n", "scene", "natives", "plugin ns", "floor ns",
                    "ratio", "own ns");
        for (const bench::Scene& scene : bench::scenes()) {
            auto found = table_.find(scene.name);
            if (found == table_.end()) {
                continue;
            }
            Entry& e = found->second;
            std::printf("%-24s %8.0f %12.1f %12.1f %7.3f %12.1f\n", scene.name.c_str(),
                        e["natives"], e["plugin_ns"], e["floor_ns"], e["ratio"],
                        e["plugin_ns"] - e["floor_ns"]);
        }
        std::printf("(medians per frame; own = plugin - floor)\n");
    }

  private:
    using Entry = std::map<std::string, double>;
    std::map<std::string, Entry> table_;
};

} // namespace

int main(int argc, char** argv) {
    // Defaults that the command line may override: medians of nine runs.
    std::vector<char*> args{argv[0]};
    std::string repetitions = "--benchmark_repetitions=9";
    std::string aggregates = "--benchmark_report_aggregates_only=true";
    args.push_back(repetitions.data());
    args.push_back(aggregates.data());
    for (int i = 1; i < argc; ++i) {
        args.push_back(argv[i]);
    }
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) {
        return 1;
    }
    for (const bench::Scene& scene : bench::scenes()) {
        benchmark::RegisterBenchmark(scene.name.c_str(), measure, scene)->UseManualTime();
    }
    FloorTableReporter reporter(isatty(STDOUT_FILENO) != 0
                                    ? benchmark::ConsoleReporter::OO_ColorTabular
                                    : benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
