#pragma once
// The registry side of the in-process server: the keys that let a client
// create wren's classes by class identifier or program identifier, and the
// type library. Unregistering removes only entries that point at this DLL,
// so a copy registered elsewhere keeps working.
#include <windows.h>

namespace wren::com {

class ServerRegistration {
public:
    static HRESULT registerServer();
    static HRESULT unregisterServer();
};

}  // namespace wren::com
