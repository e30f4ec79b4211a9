// The four entry points of an in-process server, and the DLL's entry point
// that remembers the module handle for registration and the type library.
#include <windows.h>
#include <objbase.h>

#include "codec/com/ClassFactory.h"
#include "codec/com/ComHandleLetters.h"
#include "codec/com/ComHandleWords.h"
#include "codec/com/ServerModule.h"
#include "codec/com/ServerRegistration.h"
#include "codec/com/WrenTypes.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        wren::com::ServerModule::setHandle(instance);
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID classId, REFIID riid, LPVOID* object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (IsEqualCLSID(classId, CLSID_HandleLetters))
        return wren::com::ClassFactory::make(&wren::com::ComHandleLetters::create, riid, object);
    if (IsEqualCLSID(classId, CLSID_HandleWords))
        return wren::com::ClassFactory::make(&wren::com::ComHandleWords::create, riid, object);
    return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllCanUnloadNow() { return wren::com::ServerModule::canUnload() ? S_OK : S_FALSE; }

STDAPI DllRegisterServer() { return wren::com::ServerRegistration::registerServer(); }

STDAPI DllUnregisterServer() { return wren::com::ServerRegistration::unregisterServer(); }
