#pragma once
// Process-wide state of the in-process server: the DLL's own handle, and the
// live objects and locks that decide whether the DLL may be unloaded.
#include <windows.h>
#include <oaidl.h>

#include <string>

namespace wren::com {

class ServerModule {
public:
    static void setHandle(HMODULE module);
    // The DLL's own full path, as the loader opened it.
    static std::wstring path();

    // Every COM object of the server (class factories included) counts from
    // construction to destruction; LockServer adds locks.
    static void objectCreated();
    static void objectDestroyed();
    static void lock();
    static void unlock();
    static bool canUnload();

    // Type information of one interface (of a dual interface, its vtable
    // half), from the type library embedded in the DLL. The caller releases it.
    static HRESULT typeInfo(REFGUID interfaceId, ITypeInfo** info);
};

}  // namespace wren::com
