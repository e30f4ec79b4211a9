// Character encoding and decoding of texts through the base codeset's
// character table.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/micro/BenchEnvironment.h"

namespace kestrel::bench {
namespace {

const std::string kText = "Hello [player]! The shop is open, come in. Ready?@n@x41 Take 3 potions - 10 coins.";

void BM_EncodeText(benchmark::State& state) {
    auto shared = BenchEnvironment::instance().boot();
    for (auto _ : state) benchmark::DoNotOptimize(shared->gLetters->encode(kText));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kText.size()));
}
BENCHMARK(BM_EncodeText);

void BM_DecodeText(benchmark::State& state) {
    auto shared = BenchEnvironment::instance().boot();
    const std::string bytes = shared->gLetters->encode(kText);
    for (auto _ : state) benchmark::DoNotOptimize(shared->gLetters->Decode(bytes));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_DecodeText);

}  // namespace
}  // namespace kestrel::bench
