// kestrel_workload: writes the workloads of the whole-process benchmarks
// into a folder. Every workload is generated from a fixed seed, so two runs
// give the same files.
//
//   kestrel_workload codeset DIR              DIR/bench/includes.ksh
//   kestrel_workload compile DIR LINES        DIR/compile.ksc, DIR/compile.s
//   kestrel_workload chain DIR BLOCKS BYTES   DIR/chain.bin; prints the first block's offset
//   kestrel_workload burn DIR LABELS BYTES    DIR/burn.buf, DIR/burn.bin, DIR/burn-expected.bin
//   kestrel_workload burns DIR COUNT BYTES    DIR/burns.ksc, DIR/burns.bin, DIR/burns-expected.bin
//   kestrel_workload limits DIR               DIR/limits.buf
//   kestrel_workload search DIR BYTES         DIR/search.bin; prints the free-space search's first location
#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "bench/BenchCodeset.h"
#include "bench/BufferFileWriter.h"
#include "bench/BurnLineWorkload.h"
#include "bench/BurnWorkload.h"
#include "bench/ChainImage.h"
#include "bench/CompileWorkload.h"

namespace {

namespace fs = std::filesystem;
using namespace kestrel::bench;

void writeFile(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

long long number(const char* text) {
    std::size_t used = 0;
    const long long value = std::stoll(text, &used, 0);
    if (text[used] != '\0' || value < 1) throw std::invalid_argument(std::string("not a positive number: ") + text);
    return value;
}

int usage() {
    std::fprintf(stderr,
                 "usage: kestrel_workload codeset DIR\n"
                 "       kestrel_workload compile DIR LINES\n"
                 "       kestrel_workload chain DIR BLOCKS BYTES\n"
                 "       kestrel_workload burn DIR LABELS BYTES\n"
                 "       kestrel_workload burns DIR COUNT BYTES\n"
                 "       kestrel_workload limits DIR\n"
                 "       kestrel_workload search DIR BYTES\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return usage();
    const std::string what = argv[1];
    const fs::path dir = argv[2];
    try {
        fs::create_directories(dir);
        const BenchCodeset codeset;
        if (what == "codeset" && argc == 3) {
            fs::create_directories(dir / BenchCodeset::kName);
            writeFile(dir / BenchCodeset::kName / "includes.ksh", codeset.includesText());
        } else if (what == "compile" && argc == 4) {
            CompileOptions options;
            options.lines = number(argv[3]);
            const CompileWorkload workload(codeset, options);
            {
                std::ofstream script(dir / "compile.ksc", std::ios::binary | std::ios::trunc);
                workload.writeScript(script);
                std::ofstream gas(dir / "compile.s", std::ios::binary | std::ios::trunc);
                workload.writeGas(gas);
                if (!script || !gas) throw std::runtime_error("cannot write the compile workload");
            }
            std::printf("lines=%lld labels=%zu chunks=%d pointers=%lld image=%lld\n",
                        static_cast<long long>(workload.lines()), workload.labels(), workload.chunks(),
                        static_cast<long long>(workload.pointers()), static_cast<long long>(workload.imageSize()));
        } else if (what == "chain" && argc == 5) {
            ChainOptions options;
            options.blocks = static_cast<int>(number(argv[3]));
            options.imageSize = number(argv[4]);
            const ChainImage chain(codeset, options);
            writeFile(dir / "chain.bin", chain.bytes());
            std::printf("0x%X\n", static_cast<unsigned>(chain.firstOffset()));
        } else if (what == "burn" && argc == 5) {
            BurnOptions options;
            options.labels = static_cast<int>(number(argv[3]));
            options.imageSize = number(argv[4]);
            const BurnWorkload burn(options);
            writeFile(dir / "burn.buf", burn.bufferFile().bytes());
            writeFile(dir / "burn.bin", burn.image());
            writeFile(dir / "burn-expected.bin", burn.expected());
        } else if (what == "search" && argc == 4) {
            // Data that is never filler, with three runs of 0xFF in the last
            // MiB: a Look for 4096 bytes from 0 reads the whole image.
            const auto size = static_cast<std::size_t>(number(argv[3]));
            std::string image(size, '\0');
            uint32_t state = 2463534242u;
            for (char& byte : image) {
                state ^= state << 13;
                state ^= state >> 17;
                state ^= state << 5;
                byte = static_cast<char>(1 + state % 254);
            }
            const std::size_t first = size > (1u << 20) ? size - (1u << 20) + 1000 : 0;
            for (std::size_t run = 0; run < 3; ++run) {
                const std::size_t at = first + run * 100000;
                for (std::size_t i = at; i < at + 8192 && i < size; ++i) image[i] = '\xFF';
            }
            writeFile(dir / "search.bin", image);
            std::printf("&H%zX\n", first + 1);
        } else if (what == "burns" && argc == 5) {
            BurnLineOptions options;
            options.burns = static_cast<int>(number(argv[3]));
            options.imageSize = number(argv[4]);
            const BurnLineWorkload burns(options);
            writeFile(dir / "burns.ksc", burns.script());
            writeFile(dir / "burns.bin", burns.image());
            writeFile(dir / "burns-expected.bin", burns.expected());
        } else if (what == "limits" && argc == 3) {
            writeFile(dir / "limits.buf", BufferFileWriter::atLimits(4).bytes());
        } else {
            return usage();
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "kestrel_workload: %s\n", error.what());
        return 1;
    }
    return 0;
}
