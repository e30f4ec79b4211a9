#pragma once
// Stands in for ComBase.idl in the header that widl generates from
// WrenTypes.idl: the C++ side takes the automation types from the system.
#include <oaidl.h>
#include <ocidl.h>
