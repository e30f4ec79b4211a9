// Line classification and splitting: the tokenizer work every script line
// goes through before anything is compiled.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench/micro/BenchEnvironment.h"
#include "text/SmartString.h"

namespace kestrel::bench {
namespace {

const std::vector<std::string>& lines() {
    static const std::vector<std::string> sample = BenchEnvironment::instance().sampleLines(256, true);
    return sample;
}

// kaTrim: prefix marker and trailing comment of a command line.
void BM_ClassifyLine(benchmark::State& state) {
    const auto& sample = lines();
    std::size_t i = 0;
    for (auto _ : state) {
        std::string line = sample[i++ % sample.size()] + " ' a note";
        SmartString pieces;
        pieces.kaTrim(line);
        benchmark::DoNotOptimize(pieces.values(0));
    }
}
BENCHMARK(BM_ClassifyLine);

// kaTrim of a directive line with a "0x" word and ";" statements.
void BM_ClassifyDirectiveLine(benchmark::State& state) {
    for (auto _ : state) {
        std::string line = "#org 0x0001A2B0 5;k017 5 0x1234 lbl42";
        SmartString pieces;
        pieces.kaTrim(line);
        pieces.kaSplit(pieces.values(0), ";");
        benchmark::DoNotOptimize(pieces.count());
    }
}
BENCHMARK(BM_ClassifyDirectiveLine);

// kaSplit at spaces and the template form, as the encoder does per statement.
void BM_SplitAndTemplate(benchmark::State& state) {
    const auto& sample = lines();
    std::size_t i = 0;
    SmartString words;
    for (auto _ : state) {
        words.kaSplit(sample[i++ % sample.size()], " ");
        words.kaStandard();
        benchmark::DoNotOptimize(words.vStandard);
    }
}
BENCHMARK(BM_SplitAndTemplate);

}  // namespace
}  // namespace kestrel::bench
