// Defines (once in the program) the identifiers that wren's generated
// interface header declares.
#include <initguid.h>

#include "codec/com/WrenTypes.h"
