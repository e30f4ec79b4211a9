#pragma once
// One booted set of entry points for the whole test program (booting per test
// would cost more than the inputs), and `survive`, which runs one input and
// records anything but a clean return or a KestrelError as a failure that
// shows the input as a byte literal, ready to become a regression case.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <typeinfo>

#include "EntryPoints.h"
#include "text/KestrelError.h"

namespace kestrel::fuzz {

inline std::string byteLiteral(const std::string& bytes) {
    std::string out = "std::string(\"";
    for (const char c : bytes) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(c));
        out += hex;
    }
    return out + "\", " + std::to_string(bytes.size()) + ")";
}

class FuzzFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!entries_) entries_ = std::make_unique<EntryPoints>();
    }
    static void TearDownTestSuite() { entries_.reset(); }

    static EntryPoints& entries() { return *entries_; }

    // Runs `drive` over `input`; returns false (and records why) when it
    // ended any other way than returning or throwing a KestrelError.
    template <class Drive>
    bool survive(const char* entry, const std::string& input, Drive&& drive) {
        ++calls_;
        std::string failure;
        try {
            drive(input);
            return true;
        } catch (const KestrelError&) {
            return true;
        } catch (const std::exception& error) {
            failure = std::string(typeid(error).name()) + ": " + error.what();
        } catch (const ProgramExit& exit) {
            failure = "ProgramExit " + std::to_string(exit.status);
        } catch (...) {
            failure = "an unknown exception";
        }
        // A broken entry point fails on many inputs; the first few say enough.
        if (++failures_ <= kReportedFailures)
            ADD_FAILURE() << entry << " ended with " << failure << " on " << byteLiteral(input);
        return false;
    }

    static constexpr int kReportedFailures = 5;
    int calls_ = 0;
    int failures_ = 0;

private:
    static inline std::unique_ptr<EntryPoints> entries_;
};

}  // namespace kestrel::fuzz
