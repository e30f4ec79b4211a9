#include "text/Autobank.h"

namespace kestrel {

namespace {
// Deliberately process-wide: the setting belongs to the program, and every
// pointer conversion in either program reads it.
bool gAutobankOn = true;
}  // namespace

bool autobank() { return gAutobankOn; }

void setAutobank(bool on) { gAutobankOn = on; }

}  // namespace kestrel
