#include "codec/com/ServerModule.h"

#include <oleauto.h>

#include <vector>

namespace wren::com {

namespace {

HMODULE gModule = nullptr;
LONG gObjects = 0;
LONG gLocks = 0;

}  // namespace

void ServerModule::setHandle(HMODULE module) { gModule = module; }

std::wstring ServerModule::path() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        DWORD length = GetModuleFileNameW(gModule, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return L"";
        if (length < buffer.size()) return std::wstring(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
}

void ServerModule::objectCreated() { InterlockedIncrement(&gObjects); }
void ServerModule::objectDestroyed() { InterlockedDecrement(&gObjects); }
void ServerModule::lock() { InterlockedIncrement(&gLocks); }
void ServerModule::unlock() { InterlockedDecrement(&gLocks); }

bool ServerModule::canUnload() {
    return InterlockedCompareExchange(&gObjects, 0, 0) == 0 && InterlockedCompareExchange(&gLocks, 0, 0) == 0;
}

HRESULT ServerModule::typeInfo(REFGUID interfaceId, ITypeInfo** info) {
    *info = nullptr;
    ITypeLib* library = nullptr;
    // The system caches loaded type libraries, so each object may ask again.
    HRESULT result = LoadTypeLibEx(path().c_str(), REGKIND_NONE, &library);
    if (FAILED(result)) return result;
    ITypeInfo* found = nullptr;
    result = library->GetTypeInfoOfGuid(interfaceId, &found);
    library->Release();
    if (FAILED(result)) return result;
    // A dual interface is found as its dispatch half; DispInvoke needs the
    // vtable half, which the dispatch half refers to as implemented type -1.
    TYPEATTR* attributes = nullptr;
    bool dual = false;
    if (SUCCEEDED(found->GetTypeAttr(&attributes))) {
        dual = attributes->typekind == TKIND_DISPATCH && (attributes->wTypeFlags & TYPEFLAG_FDUAL) != 0;
        found->ReleaseTypeAttr(attributes);
    }
    HREFTYPE vtableHalf = 0;
    ITypeInfo* vtableInfo = nullptr;
    if (dual && SUCCEEDED(found->GetRefTypeOfImplType(static_cast<UINT>(-1), &vtableHalf)) &&
        SUCCEEDED(found->GetRefTypeInfo(vtableHalf, &vtableInfo))) {
        found->Release();
        found = vtableInfo;
    }
    *info = found;
    return S_OK;
}

}  // namespace wren::com
