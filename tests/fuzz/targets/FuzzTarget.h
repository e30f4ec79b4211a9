#pragma once
// The body every libFuzzer target shares: one input through one driver of
// EntryPoints. A KestrelError is swallowed by the drivers; anything else is
// a finding, reported with its message before the abort that libFuzzer
// records as a crash (the input is then saved as an artifact).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "EntryPoints.h"
#include "text/KestrelError.h"

namespace kestrel::fuzz {

using Driver = void (EntryPoints::*)(const std::string&);

inline int runTarget(Driver driver, const uint8_t* data, std::size_t size) {
    static EntryPoints entries;
    const std::string input(reinterpret_cast<const char*>(data), size);
    try {
        (entries.*driver)(input);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "entry point threw: %s\n", error.what());
        std::abort();
    } catch (const ProgramExit& exit) {
        std::fprintf(stderr, "entry point ended the program with status %d\n", exit.status);
        std::abort();
    }
    return 0;
}

}  // namespace kestrel::fuzz
