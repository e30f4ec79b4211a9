#pragma once
// Wren.HandleLetters as a COM object: the dual interface _HandleLetters over
// the library's HandleLetters, and the Updated event as a connection point.
#include "codec/HandleLetters.h"
#include "codec/com/DispatchObject.h"
#include "codec/com/UpdatedConnection.h"
#include "codec/com/WrenTypes.h"

namespace wren::com {

class ComHandleLetters final : public DispatchObject<_HandleLetters>,
                               public IConnectionPointContainer,
                               private HandleLettersEvents {
public:
    // The class factory's creation: a new object, asked for `riid`.
    static HRESULT create(REFIID riid, void** object);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return DispatchObject::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return DispatchObject::Release(); }

    HRESULT STDMETHODCALLTYPE get_bError(short* value) override;
    HRESULT STDMETHODCALLTYPE put_bError(short value) override;
    HRESULT STDMETHODCALLTYPE get_sLog(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_sLog(BSTR value) override;
    HRESULT STDMETHODCALLTYPE add(BSTR* Value1, BSTR* Value2, VARIANT method) override;
    HRESULT STDMETHODCALLTYPE encode(BSTR phrase, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE Decode(BSTR phrase, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE hexForm(short byteValue, BSTR* result) override;

    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** points) override;
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** point) override;

private:
    ComHandleLetters();
    ~ComHandleLetters() override;

    void Updated(std::string& Log, int16_t& errors) override;

    HandleLetters* letters_;
    UpdatedConnection updated_;
};

}  // namespace wren::com
