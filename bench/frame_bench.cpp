// The cost of one frame of the plugin in the stand-in host, against its floor:
// the same host calls with the same words issued by a plain loop. At the end
// a table gives, per scene, the native calls per frame, the median time of a
// plugin frame and of a floor frame, their ratio and their difference (what
// the plugin itself costs per frame).
#include "frame_scenes.h"

#include "sim/host.h"
#include "support/on_fibre.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

void measure(benchmark::State& state, const bench::Scene& scene, bool floorOnly) {
    bench::Floor floor;
    try {
        scene.setUp();
        floor = bench::recordFloor();
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
        return;
    }
    runOnFibre([&] {
        if (floorOnly) {
            for (auto _ : state) {
                bench::floorFrame(floor);
                bench::endFrame();
            }
        } else {
            for (auto _ : state) {
                bench::pluginFrame();
                bench::endFrame();
            }
        }
    });
    if (const std::string faults = bench::hostFaults(); !faults.empty()) {
        state.SkipWithError(faults.c_str());
        return;
    }
    state.counters["natives"] = static_cast<double>(floor.calls.size());
}

// The console report, then the table of plugin against floor from the medians
// (or from the single run when there are no repetitions).
class FloorTableReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
            if (run.error_occurred || !(median || single)) {
                continue;
            }
            const double ns = run.GetAdjustedRealTime() *
                              benchmark::GetTimeUnitMultiplier(benchmark::kNanosecond) /
                              benchmark::GetTimeUnitMultiplier(run.time_unit);
            Entry& entry = table_[run.run_name.function_name];
            entry.ns = ns;
            auto natives = run.counters.find("natives");
            entry.natives = natives != run.counters.end() ? natives->second.value : 0.0;
        }
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\n%-28s %8s %12s %12s %7s %12s\n", "scene", "natives", "plugin ns", "floor ns",
                    "ratio", "own ns");
        for (const bench::Scene& scene : bench::scenes()) {
            auto plugin = table_.find(scene.name + "/plugin");
            auto floor = table_.find(scene.name + "/floor");
            if (plugin == table_.end() || floor == table_.end()) {
                continue;
            }
            std::printf("%-28s %8.0f %12.1f %12.1f %7.3f %12.1f\n", scene.name.c_str(),
                        plugin->second.natives, plugin->second.ns, floor->second.ns,
                        plugin->second.ns / floor->second.ns, plugin->second.ns - floor->second.ns);
        }
    }

  private:
    struct Entry {
        double ns = 0.0;
        double natives = 0.0;
    };
    std::map<std::string, Entry> table_;
};

} // namespace

int main(int argc, char** argv) {
    // Defaults that the command line may override: medians of interleaved runs.
    std::vector<char*> args{argv[0]};
    std::string repetitions = "--benchmark_repetitions=9";
    std::string aggregates = "--benchmark_report_aggregates_only=true";
    std::string interleave = "--benchmark_enable_random_interleaving=true";
    args.push_back(repetitions.data());
    args.push_back(aggregates.data());
    args.push_back(interleave.data());
    for (int i = 1; i < argc; ++i) {
        args.push_back(argv[i]);
    }
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) {
        return 1;
    }
    for (const bench::Scene& scene : bench::scenes()) {
        benchmark::RegisterBenchmark((scene.name + "/plugin").c_str(), measure, scene, false);
        benchmark::RegisterBenchmark((scene.name + "/floor").c_str(), measure, scene, true);
    }
    FloorTableReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
