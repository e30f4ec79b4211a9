// Defines (once in the DLL) the identifiers that the generated header declares.
#include <initguid.h>

#include "codec/com/WrenTypes.h"
