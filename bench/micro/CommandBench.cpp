// Word substitution, command lookup and encoding of one line, the
// parameter conversion kaCodevals, one whole code line through the engine
// (log written), and decoding a block of bytecode.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench/ChainImage.h"
#include "bench/micro/BenchEnvironment.h"
#include "buffers/FileBuffer.h"
#include "commands/CmdList.h"
#include "engine/Control.h"
#include "services/FileHandle.h"
#include "text/Autobank.h"
#include "text/SmartNum.h"

namespace kestrel::bench {
namespace {

const std::vector<std::string>& lines() {
    static const std::vector<std::string> sample = BenchEnvironment::instance().sampleLines(256, true);
    return sample;
}

void BM_WordSubstitution(benchmark::State& state) {
    auto shared = BenchEnvironment::instance().boot();
    const auto& sample = lines();
    std::size_t i = 0;
    for (auto _ : state) {
        uint8_t column = 0;
        benchmark::DoNotOptimize(shared->gWords->define(sample[i++ % sample.size()], column));
    }
}
BENCHMARK(BM_WordSubstitution);

// Lookup by template and keyword, the two log lines, kaCodevals (no console).
void BM_EncodeLine(benchmark::State& state) {
    auto shared = BenchEnvironment::instance().boot();
    const auto& sample = lines();
    std::size_t i = 0;
    for (auto _ : state) {
        std::string script = sample[i++ % sample.size()];
        std::string mask;
        shared->gCmds->encode(script, mask, 12345);
        benchmark::DoNotOptimize(script);
    }
}
BENCHMARK(BM_EncodeLine);

void BM_KaCodevals(benchmark::State& state) {
    const Autobank autobank;
    SmartNum num(autobank);
    for (auto _ : state) {
        std::string mask = "0,0,1,2,3";
        benchmark::DoNotOptimize(num.kaCodevals("17 5 &h1234 305419896 lbl42", mask));
    }
}
BENCHMARK(BM_KaCodevals);

// One command line through KaCode: word table, encoder, add_Data with its
// pointers, log (no console).
void BM_CompileLine(benchmark::State& state) {
    auto shared = BenchEnvironment::instance().boot();
    const auto& sample = lines();
    shared->gEngine->pending("#org 0x00010000 3");
    std::size_t i = 0;
    for (auto _ : state) {
        // A buffer addresses 100000 bytes: start a fresh set now and then.
        if (++i % 4096 == 0) {
            shared->replaceBuffers();
            shared->gEngine->pending("#org 0x00010000 3");
        }
        shared->gEngine->KaCode(sample[i % sample.size()]);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CompileLine);

// The first block of a two-block chain (commands, pointers to the next
// block, a stop), read as the decompiler reads it: 1000 bytes from its offset.
std::string firstBlock() {
    const ChainImage chain(BenchEnvironment::instance().codeset(), ChainOptions{2, 8192, 5});
    return chain.bytes().substr(static_cast<std::size_t>(chain.firstOffset()), 1000);
}

// Image mode: words and entries up to the stop command.
void BM_DecodeBlock(benchmark::State& state) {
    auto shared = BenchEnvironment::instance().boot();
    const std::string block = firstBlock();
    for (auto _ : state) {
        std::string code = block;
        std::string mask;
        shared->gCmds->decode(code, mask, true);
        benchmark::DoNotOptimize(code);
    }
}
BENCHMARK(BM_DecodeBlock);

// Decoding and regrouping into statements, as rawdecode does per block.
void BM_DecodeAndDealiasBlock(benchmark::State& state) {
    auto shared = BenchEnvironment::instance().boot();
    const std::string block = firstBlock();
    for (auto _ : state) {
        std::string code = block;
        std::string mask;
        shared->gCmds->decode(code, mask, true);
        shared->gCmds->dealias(code, mask);
        benchmark::DoNotOptimize(code);
    }
}
BENCHMARK(BM_DecodeAndDealiasBlock);

// One log line: bars, indent and the text into the log file.
void BM_EchoLogLine(benchmark::State& state) {
    auto shared = BenchEnvironment::instance().boot();
    const std::string text = "12345: Code Command - k017 [11] ";
    for (auto _ : state) shared->gFiles->echo(text);
}
BENCHMARK(BM_EchoLogLine);

}  // namespace
}  // namespace kestrel::bench
