#include "codec/com/ClassFactory.h"

#include <new>

#include "codec/com/ServerModule.h"

namespace wren::com {

ClassFactory::ClassFactory(Create create) : create_(create) { ServerModule::objectCreated(); }

ClassFactory::~ClassFactory() { ServerModule::objectDestroyed(); }

HRESULT ClassFactory::make(Create create, REFIID riid, void** object) {
    auto* factory = new (std::nothrow) ClassFactory(create);
    if (factory == nullptr) return E_OUTOFMEMORY;
    HRESULT result = factory->QueryInterface(riid, object);
    factory->Release();
    return result;
}

HRESULT ClassFactory::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
        *object = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG ClassFactory::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

ULONG ClassFactory::Release() {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

HRESULT ClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    return create_(riid, object);
}

HRESULT ClassFactory::LockServer(BOOL lock) {
    if (lock)
        ServerModule::lock();
    else
        ServerModule::unlock();
    return S_OK;
}

}  // namespace wren::com
