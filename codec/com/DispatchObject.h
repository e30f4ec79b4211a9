#pragma once
// Reference counting and late binding shared by wren's creatable classes.
// Interface is a dual interface generated from WrenTypes.idl; its IDispatch
// half is answered from the embedded type library, so GetIDsOfNames and
// Invoke reach the same methods as early-bound calls.
#include <windows.h>
#include <oleauto.h>

#include "codec/com/ServerModule.h"

namespace wren::com {

template <class Interface>
class DispatchObject : public Interface {
public:
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count == nullptr) return E_POINTER;
        *count = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
        if (info == nullptr) return E_POINTER;
        *info = nullptr;
        if (index != 0) return DISP_E_BADINDEX;
        if (typeInfo_ == nullptr) return TYPE_E_ELEMENTNOTFOUND;
        typeInfo_->AddRef();
        *info = typeInfo_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
        if (typeInfo_ == nullptr) return E_UNEXPECTED;
        return DispGetIDsOfNames(typeInfo_, names, count, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* exception, UINT* argumentError) override {
        if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
        if (typeInfo_ == nullptr) return E_UNEXPECTED;
        return DispInvoke(static_cast<Interface*>(this), typeInfo_, member, flags, params, result, exception,
                          argumentError);
    }

    // The object is usable only when the type information loaded.
    HRESULT loadTypeInfo(REFGUID interfaceId) { return ServerModule::typeInfo(interfaceId, &typeInfo_); }

protected:
    DispatchObject() { ServerModule::objectCreated(); }
    virtual ~DispatchObject() {
        if (typeInfo_ != nullptr) typeInfo_->Release();
        ServerModule::objectDestroyed();
    }
    DispatchObject(const DispatchObject&) = delete;
    DispatchObject& operator=(const DispatchObject&) = delete;

private:
    LONG references_ = 1;
    ITypeInfo* typeInfo_ = nullptr;
};

// Runs one method body: memory exhaustion and any other C++ exception end as
// an HRESULT, never crossing the COM boundary.
template <class Body>
HRESULT guardedCall(Body body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

}  // namespace wren::com
