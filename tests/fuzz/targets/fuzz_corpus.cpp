// Writes the seed inputs of every fuzz target: fuzz_corpus <folder> creates
// <folder>/fuzz_readbuffer, fuzz_decode, fuzz_record and fuzz_rawdecode, one
// file per seed.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>

#include "EntryPoints.h"
#include "Seeds.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_corpus <folder>\n");
        return 2;
    }
    namespace fs = std::filesystem;
    try {
        const fs::path root = fs::absolute(argv[1]);
        kestrel::fuzz::EntryPoints entries;
        kestrel::fuzz::Seeds seeds(entries);
        auto write = [&](const char* target, const std::vector<kestrel::fuzz::Seed>& inputs) {
            fs::create_directories(root / target);
            for (const auto& seed : inputs) {
                std::ofstream out(root / target / seed.name, std::ios::binary | std::ios::trunc);
                out.write(seed.bytes.data(), static_cast<std::streamsize>(seed.bytes.size()));
            }
        };
        write("fuzz_readbuffer", seeds.bufferFiles());
        write("fuzz_decode", seeds.bytecode());
        write("fuzz_record", seeds.records());
        write("fuzz_rawdecode", seeds.images());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "fuzz_corpus: %s\n", error.what());
        return 1;
    }
    return 0;
}
