#pragma once
// The autobank switch of one program: on at start. While on, pointer
// conversion turns an image offset above 0 and below 0x08000000 into a
// pointer by adding 0x08000000. Each program (an engine's shared objects,
// plover's window model) owns one and hands it to the objects that convert
// pointers, so two engines in one process keep their own setting.
#include <cstdint>

namespace kestrel {

class Autobank {
public:
    bool on() const { return on_; }
    void set(bool on) { on_ = on; }
    // The pointer value of an image offset under the switch; OverflowError
    // when it does not fit 32 bits.
    int32_t pointerOf(double offset) const;

private:
    bool on_ = true;
};

}  // namespace kestrel
