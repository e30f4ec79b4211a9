#pragma once
// The program's shared objects for the micro benchmarks: a temporary home
// folder holding the bundled base codeset and the generated benchmark
// codeset, a batch platform whose log goes there, and a fresh Shared with
// the benchmark codeset booted.
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchCodeset.h"
#include "engine/Shared.h"

namespace kestrel::bench {

class BenchEnvironment {
public:
    // The one environment of the process, created on first use.
    static BenchEnvironment& instance();
    ~BenchEnvironment();

    // A fresh Shared (log file included) with "#boot bench" run.
    std::unique_ptr<Shared> boot();
    const BenchCodeset& codeset() const { return codeset_; }
    const std::string& home() const { return home_; }

    // Command lines of the codeset as a script has them: decimal and hex
    // values, pointers to labels and addresses. `pointers` false leaves out
    // commands with pointer fields.
    std::vector<std::string> sampleLines(std::size_t count, bool pointers) const;

private:
    BenchEnvironment();
    class BenchPlatform;

    BenchCodeset codeset_;
    std::string home_;
    std::unique_ptr<BenchPlatform> platform_;
};

}  // namespace kestrel::bench
