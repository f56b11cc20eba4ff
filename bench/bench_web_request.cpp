// Argument 0: a body with its Content-Length; 1: one that runs to the end of the connection.
// A 50 MB body through the request engine beside the curl command line fetching the same body
// from the same loopback server in the same run, and the engine's peak memory for it, measured
// in a fresh process of this program so that the server's copy of the body does not count.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "support/loopback_server.h"
#include "web/web_request.h"

namespace {

constexpr std::size_t kBodyBytes = 50u << 20;
const char* const kPeakChildFlag = "--peak-child";
std::string selfPath;

varneth::testing::LoopbackServer& Site() {
    static auto* server = [] {
        auto* site = new varneth::testing::LoopbackServer;
        std::string body(kBodyBytes, '\0');
        for (std::size_t i = 0; i < body.size(); ++i)
            body[i] = static_cast<char>('a' + i % 26);
        site->Route("/big", varneth::testing::MakeResponse(200, "OK", {}, body));
        // Without a length the body runs to the end of the connection and the buffer grows.
        site->Route("/unsized", "HTTP/1.1 200 OK\r\n\r\n" + body);
        return site;
    }();
    return *server;
}

long MaxRssKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

const char* const kTargets[] = {"/big", "/unsized"};

void BM_WebRequest(benchmark::State& state) {
    const varneth::Text url(Site().HttpUrl(kTargets[state.range(0)]));
    for (auto _ : state) {
        varneth::Text cookies;
        varneth::Bytes body = varneth::WebRequest(url, 0, {}, &cookies);
        if (body.size() != kBodyBytes)
            state.SkipWithError("short body");
        benchmark::DoNotOptimize(body.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kBodyBytes));
}
BENCHMARK(BM_WebRequest)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(2.0);

void BM_CurlCommandLine(benchmark::State& state) {
    const std::string command = "curl -s -o /dev/null " + Site().HttpUrl("/big");
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("curl failed");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kBodyBytes));
}
BENCHMARK(BM_CurlCommandLine)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

// Runs one request in a fresh process of this program and reads back its peak memory.
void BM_PeakMemory(benchmark::State& state) {
    const std::string command =
        selfPath + " " + kPeakChildFlag + " " + Site().HttpUrl(kTargets[state.range(0)]);
    long before = 0;
    long after = 0;
    for (auto _ : state) {
        std::unique_ptr<FILE, int (*)(FILE*)> child(popen(command.c_str(), "r"), pclose);
        if (!child || std::fscanf(child.get(), "%ld %ld", &before, &after) != 2) {
            state.SkipWithError("peak measurement failed");
            return;
        }
    }
    const double bodyKilobytes = static_cast<double>(kBodyBytes) / 1024.0;
    state.counters["peak_over_body"] = static_cast<double>(after) / bodyKilobytes;
    state.counters["growth_over_body"] = static_cast<double>(after - before) / bodyKilobytes;
}
BENCHMARK(BM_PeakMemory)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);

int PeakChild(const char* url) {
    const long before = MaxRssKilobytes();
    varneth::Text cookies;
    varneth::Bytes body = varneth::WebRequest(varneth::Text(url), 0, {}, &cookies);
    const long after = MaxRssKilobytes();
    std::printf("%ld %ld\n", before, after);
    return body.size() == kBodyBytes ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], kPeakChildFlag) == 0)
        return PeakChild(argv[2]);
    selfPath = argv[0];
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
