// Utf8ToLocalText on a listing-sized page beside one bare iconv call on the same bytes: the
// conversion should cost little more than iconv itself (validation and the "?" handling).
#include <benchmark/benchmark.h>
#include <iconv.h>

#include <string>

#include "text/codepage.h"

namespace {

// About 4 MB of table rows: ASCII markup around Chinese titles, as a listing page looks.
const std::string& Page() {
    static const std::string page = [] {
        const std::string row =
            "<tr><td><a href=\"/detail/123456.html\">\xE6\xB5\x81\xE6\xB5\xAA\xE5\x9C\xB0\xE7\x90"
            "\x83 The Wandering Earth 2019 \xE4\xB8\xAD\xE8\x8B\xB1\xE5\x8F\x8C\xE8\xAF\xAD"
            "\xE5\xAD\x97\xE5\xB9\x95</a></td><td>2024-01-01 12:00</td></tr>\n";
        std::string text;
        text.reserve(4 * 1024 * 1024 + row.size());
        while (text.size() < 4 * 1024 * 1024)
            text += row;
        return text;
    }();
    return page;
}

void BM_Utf8ToLocalText(benchmark::State& state) {
    const std::string& page = Page();
    for (auto _ : state) {
        varneth::Text local = varneth::Utf8ToLocalText(page);
        benchmark::DoNotOptimize(local);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}

void BM_BareIconv(benchmark::State& state) {
    const std::string& page = Page();
    std::string out(page.size(), '\0');
    for (auto _ : state) {
        iconv_t cd = iconv_open("CP936", "UTF-8");
        char* in = const_cast<char*>(page.data());
        size_t inLeft = page.size();
        char* outPtr = out.data();
        size_t outLeft = out.size();
        const size_t result = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        iconv_close(cd);
        if (result == static_cast<size_t>(-1) || inLeft != 0) {
            state.SkipWithError("iconv stopped early");
            break;
        }
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}

BENCHMARK(BM_BareIconv)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Utf8ToLocalText)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
