// Start-up of the program against the demo site, beside a minimal Qt Widgets program showing one
// label in the same Chinese font, alternating in one run. Measured from just before the process
// is started to the window's first paint ("show"), and to the first paint of the list holding
// rows. Also the peak memory of each, once the page is on screen.
//
// Run under a display (e.g. xvfb-run -a) or with QT_QPA_PLATFORM=offscreen.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <string>

#include "demo_site.h"
#include "startup_probe.h"

extern char** environ;

namespace {

struct ChildRun {
    bool ok = false;
    std::map<std::string, long long> values;  // shown_ns, rows_ns, peak_kb
    long long startNs = 0;
};

ChildRun RunChild(const std::vector<std::string>& args) {
    ChildRun run;
    int out[2];
    if (pipe(out) != 0)
        return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    run.startNs = varneth::bench::MonotonicNs();
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0) {
        close(out[0]);
        return run;
    }
    std::string output;
    char buffer[4096];
    for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;)
        output.append(buffer, n);
    close(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    char name[64];
    long long value = 0;
    for (std::size_t at = 0; at < output.size();) {
        const std::size_t end = output.find('\n', at);
        const std::string line = output.substr(at, end == std::string::npos ? end : end - at);
        if (std::sscanf(line.c_str(), "%63s %lld", name, &value) == 2)
            run.values[name] = value;
        if (end == std::string::npos)
            break;
        at = end + 1;
    }
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0 && run.values.count("shown_ns");
    return run;
}

void BM_StartupSideBySide(benchmark::State& state) {
    varneth::demo::DemoSite site;
    const std::string caFile = "/tmp/varneth-bench-ca-" + std::to_string(getpid()) + ".pem";
    std::ofstream(caFile) << site.caPem();
    double minimalShow = 0, varnethShow = 0, rowsAfterShow = 0, minimalPeak = 0, varnethPeak = 0;
    int runs = 0;
    for (auto _ : state) {
        const ChildRun minimal = RunChild({VARNETH_BENCH_MINIMAL});
        const ChildRun program = RunChild({VARNETH_BENCH_PROGRAM, site.hostPort(), caFile});
        if (!minimal.ok || !program.ok || !program.values.count("rows_ns") ||
            !minimal.values.count("peak_kb") || !program.values.count("peak_kb")) {
            state.SkipWithError("a child program failed");
            break;
        }
        const double show = (program.values.at("shown_ns") - program.startNs) / 1e6;
        state.SetIterationTime(show / 1e3);
        minimalShow += (minimal.values.at("shown_ns") - minimal.startNs) / 1e6;
        varnethShow += show;
        rowsAfterShow += (program.values.at("rows_ns") - program.values.at("shown_ns")) / 1e6;
        minimalPeak += minimal.values.at("peak_kb") / 1024.0;
        varnethPeak += program.values.at("peak_kb") / 1024.0;
        ++runs;
    }
    std::remove(caFile.c_str());
    if (runs == 0)
        return;
    state.counters["minimal_show_ms"] = minimalShow / runs;
    state.counters["varneth_show_ms"] = varnethShow / runs;
    state.counters["show_ratio"] = varnethShow / minimalShow;
    state.counters["rows_after_show_ms"] = rowsAfterShow / runs;
    state.counters["minimal_peak_MB"] = minimalPeak / runs;
    state.counters["varneth_peak_MB"] = varnethPeak / runs;
}
BENCHMARK(BM_StartupSideBySide)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
