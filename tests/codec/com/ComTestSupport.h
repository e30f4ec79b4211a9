#pragma once
// Helpers of the COM server tests: owning wrappers, a recording event sink
// and the registration of wren.dll through regsvr32.
#include <windows.h>
#include <ocidl.h>
#include <oleauto.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "codec/com/ByteString.h"
#include "codec/com/WrenTypes.h"

namespace wren::test {

// Releases a COM interface at the end of a scope.
template <class Interface>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    Interface* operator->() const { return pointer_; }
    Interface* get() const { return pointer_; }
    Interface** put() {
        reset();
        return &pointer_;
    }
    void** out() { return reinterpret_cast<void**>(put()); }
    void reset() {
        if (pointer_ != nullptr) pointer_->Release();
        pointer_ = nullptr;
    }

private:
    Interface* pointer_ = nullptr;
};

// A BSTR freed at the end of a scope.
class Text {
public:
    Text() = default;
    explicit Text(const std::string& bytes) : text_(com::ByteString::toBstr(bytes)) {}
    ~Text() { SysFreeString(text_); }
    Text(const Text&) = delete;
    Text& operator=(const Text&) = delete;
    BSTR get() const { return text_; }
    BSTR* out() {
        SysFreeString(text_);
        text_ = nullptr;
        return &text_;
    }
    std::string bytes() const { return com::ByteString::fromBstr(text_); }

private:
    BSTR text_ = nullptr;
};

// A late-bound receiver of Updated that records every call; it may rewrite
// the Log argument to show that the event passes it by reference.
class RecordingSink final : public IDispatch {
public:
    int calls = 0;
    std::string lastLog;
    short lastErrors = 0;
    std::string replacementLog;  // written back into Log when not empty

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
            IsEqualIID(riid, DIID___HandleLetters)) {
            *object = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        if (member != 1 || params == nullptr || params->cArgs != 2) return DISP_E_MEMBERNOTFOUND;
        if (params->rgvarg[1].vt != (VT_BSTR | VT_BYREF) || params->rgvarg[0].vt != (VT_I2 | VT_BYREF))
            return DISP_E_TYPEMISMATCH;
        ++calls;
        lastLog = com::ByteString::fromBstr(*params->rgvarg[1].pbstrVal);
        lastErrors = *params->rgvarg[0].piVal;
        if (!replacementLog.empty()) com::ByteString::assign(params->rgvarg[1].pbstrVal, replacementLog);
        return S_OK;
    }

    // Owned by the test (on its stack); the count only shows leaks.
    ULONG references = 0;
};

// The folder of the running test program, where wren.dll is built.
std::wstring programFolder();
// Runs regsvr32 silently on `dll` (unregistering with `unregister`); its exit code.
DWORD runRegsvr32(const std::wstring& dll, bool unregister);
// Whether HKEY_CLASSES_ROOT\path exists.
bool classesKeyExists(const std::wstring& path);
// The default value of HKEY_CLASSES_ROOT\path ("" when missing).
std::wstring classesDefault(const std::wstring& path);

}  // namespace wren::test
