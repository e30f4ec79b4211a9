#pragma once
// What a burn will do, worked out before any byte is written: the address and
// size of every label and the value of every pointer, and what is wrong with
// it (labels that overlap each other or pass the image's end).
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace kestrel {

struct BurnPlan {
    struct Label {
        std::string name;
        int64_t address = 0;
        int64_t size = 0;
        bool floated = false;  // placed behind the label before it
    };
    struct Pointer {
        std::string target;
        int buffer = 0;
        int64_t position = 0;  // of its 4 bytes in that buffer
        int64_t address = 0;   // the target's address
        int32_t value = 0;     // as written: the address converted by CPtr
    };

    std::vector<Label> labels;      // in burn order: buffer 0..15, list order
    std::vector<Pointer> pointers;  // in pointer order
    // Overlaps and labels past the end, one sentence each.
    std::vector<std::string> problems;
    // False when an address was asked for and not given: nothing may be burned.
    bool complete = true;
    std::string missing;  // what was not given
    // Addresses to push before burning: answers to the prompts, and labels
    // or pointer targets named by an address (read unsigned here).
    std::vector<std::pair<std::string, int64_t>> pushes;

    // The plan as --dry-run prints it, one line per label and pointer.
    std::vector<std::string> lines() const;
};

} // namespace kestrel
