#pragma once
// The autobank setting: one process-wide flag, on at start. While on, pointer
// conversion turns image offsets below 0x08000000 into pointers.
namespace kestrel {

bool autobank();
void setAutobank(bool on);

} // namespace kestrel
