#pragma once
// What burning a buffer set will do, worked out before a byte is written: the
// address of every label, the value of every pointer, and the problems that
// forbid the burn. FileBuffer::planBurn computes one without changing the
// set; FileBuffer::applyBurn carries out one that has no problems.
#include <cstdint>
#include <string>
#include <vector>

namespace kestrel {

class BurnPlan {
public:
    struct Label {
        std::string name;
        int buffer = 0;
        int32_t number = 0;   // 1-based, in its buffer's label list
        int32_t offset = 0;   // where its bytes start in the buffer
        int32_t size = 0;     // its bytes: up to the next label or the buffer's end
        int64_t address = 0;  // where they go in the image
        // True when the burn fixes the address (it floats or is named by a
        // value); false when it was pushed before.
        bool pushes = false;
    };

    struct Pointer {
        std::string name;    // the target as recorded (label name or address text)
        int32_t number = 0;  // 1-based, in the set's pointer order
        int buffer = 0;      // where its 4 bytes are patched
        int32_t position = 0;
        std::string target;  // the address given to CPtr, as decimal text
        int32_t value = 0;   // the 4 bytes written (0: no usable address)
        // False when nobody could give an address for the target.
        bool resolved = false;
        // Why converting the address failed ("" when it did not).
        std::string note;
    };

    enum class ProblemKind {
        FloatingPointer,       // a pointer with no address, or value 0
        NegativeAddress,       // a label placed before the image's start
        AddressOverflow,       // a label address outside 32 bits
        PointerOutsideBuffer,  // a pointer's 4 bytes run past its buffer
    };

    struct Problem {
        ProblemKind kind;
        std::string name;  // the label or pointer concerned
        std::string text;  // a sentence for the user
    };

    std::vector<Label> labels;
    std::vector<Pointer> pointers;
    std::vector<Problem> problems;

    bool ok() const { return problems.empty(); }
    // Problems other than floating pointers (those a program may still ask about).
    bool hasHardProblems() const;
    // One past the last image byte the burn writes; 0 when it writes none.
    int64_t end() const;
    // The problems, one per line.
    std::string describeProblems() const;
};

}  // namespace kestrel
