// Signing a log line: HMAC-SHA-256 under the machine's key against the bare SHA-256 of the same
// line, the baseline it can at best approach (it hashes the line and one digest more). Lines are
// those of a copied file, the event an install writes most.
#include "cli/log/Hmac.h"
#include "cli/log/LogSeal.h"
#include "cli/log/Sha256.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

const std::string kLine
    = "{\"event\":\"file-copied\",\"time\":\"2026-12-08T15:39:17.363Z\",\"from\":"
      "\"CustomTags\\\\cfx_sample.cfm\",\"to\":\"C:\\\\CFusion\\\\CustomTags\\\\Sample\\\\"
      "cfx_sample.cfm\",\"bytes\":361,\"replaced\":false,\"sha256\":"
      "\"a3e0626bfc8a954506333411c4d170e7d2c3a25d7bec1aec0219f0886f67f723\"}";

void BM_Sha256Line(benchmark::State& state)
{
    Sha256 hash;
    for (auto _ : state) {
        hash.Update(kLine);
        benchmark::DoNotOptimize(hash.Digest());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kLine.size()));
}

void BM_HmacLine(benchmark::State& state)
{
    const Hmac hmac(std::string(32, '\x5a'));
    for (auto _ : state)
        benchmark::DoNotOptimize(hmac.Sign(kLine));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kLine.size()));
}

// Sealing each line as it is written, and checking a whole log of 10,000 such lines before undo
// touches anything (the target: at most 50 ms).
void BM_SealLine(benchmark::State& state)
{
    LineSealer sealer(std::string(32, '\x5a'));
    std::string line;
    for (auto _ : state) {
        line = kLine;
        sealer.Seal(line);
        benchmark::DoNotOptimize(line.data());
    }
}

void BM_CheckSeals(benchmark::State& state)
{
    const std::string key(32, '\x5a');
    LineSealer sealer(key);
    std::string log;
    for (int i = 0; i < state.range(0); ++i) {
        std::string line = kLine;
        sealer.Seal(line);
        log += line + "\n";
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(CheckSeals(log, key).intact);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * log.size()));
}

} // namespace

BENCHMARK(BM_Sha256Line);
BENCHMARK(BM_HmacLine);
BENCHMARK(BM_SealLine);
BENCHMARK(BM_CheckSeals)->Arg(10000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
