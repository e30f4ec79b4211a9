#pragma once
// The character codec as the core knows it (wren::IHandleLetters), over a
// Wren.HandleLetters object created through COM. The one Updated receiver
// of the core is reached through a sink advised on the object's connection
// point.
#include <windows.h>
#include <ocidl.h>

#include "codec/Wren.h"
#include "codec/com/WrenTypes.h"

namespace kestrel {

class WrenComLetters final : public wren::IHandleLetters {
public:
    // Takes over the reference to `object`.
    explicit WrenComLetters(_HandleLetters* object) : object_(object), sink_(*this) {}

    void Release() override;
    void add(std::string& Value1, std::string& Value2, const std::string& method) override;
    std::string encode(const std::string& phrase) override;
    std::string Decode(const std::string& phrase) override;
    int16_t bError() const override;
    void setBError(int16_t value) override;
    std::string sLog() const override;
    void setSLog(const std::string& value) override;
    void advise(wren::HandleLettersEvents* receiver) override;
    std::string hexForm(unsigned char byte) const override;

private:
    ~WrenComLetters() override;

    // The COM sink; it lives inside the adapter, which unadvises it before
    // it goes, so its reference count is not needed.
    class Sink final : public IDispatch {
    public:
        explicit Sink(WrenComLetters& owner) : owner_(owner) {}
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
        ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
        ULONG STDMETHODCALLTYPE Release() override { return 1; }
        HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
        HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                         UINT*) override;

    private:
        WrenComLetters& owner_;
    };

    _HandleLetters* object_;
    IConnectionPoint* point_ = nullptr;  // the Updated point, found on first advise
    Sink sink_;
    wren::HandleLettersEvents* receiver_ = nullptr;
    DWORD cookie_ = 0;  // of the advised sink; 0 while none is
};

}  // namespace kestrel
