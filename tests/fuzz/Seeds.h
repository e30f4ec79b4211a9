#pragma once
// Small valid inputs for each entry point: buffer files written by
// writebuffer, bytecode blocks from the encoder, record data, and images
// whose blocks point at each other (cycles included). They seed the random
// test and the libFuzzer corpora (targets/fuzz_corpus.cpp writes them out).
#include <cstdint>
#include <string>
#include <vector>

namespace kestrel::fuzz {

class EntryPoints;

struct Seed {
    std::string name;  // file name in the corpus
    std::string bytes;
};

class Seeds {
public:
    explicit Seeds(EntryPoints& entries) : entries_(entries) {}

    std::vector<Seed> bufferFiles();
    std::vector<Seed> bytecode();
    std::vector<Seed> records();
    std::vector<Seed> images();

    // Encodes statements of the fuzz codeset one after the other; pointer
    // slots get the image pointer of their numeric target.
    std::string assemble(const std::vector<std::string>& statements);
    // `bytes` placed at `offset` of `image`, which grows as needed.
    static void place(std::string& image, std::size_t offset, const std::string& bytes);
    // The 4 bytes of the image pointer to `offset` (autobank on).
    static std::string pointerTo(int32_t offset);

    // One statement per command and alias of the fuzz codeset.
    static const std::vector<std::string>& everyStatement();

private:
    EntryPoints& entries_;
};

}  // namespace kestrel::fuzz
