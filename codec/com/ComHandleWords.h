#pragma once
// Wren.HandleWords as a COM object: the dual interface _HandleWords over the
// library's HandleWords.
#include "codec/HandleWords.h"
#include "codec/com/DispatchObject.h"
#include "codec/com/WrenTypes.h"

namespace wren::com {

class ComHandleWords final : public DispatchObject<_HandleWords> {
public:
    static HRESULT create(REFIID riid, void** object);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;

    HRESULT STDMETHODCALLTYPE add(BSTR* ValueA, BSTR* ValueB, VARIANT LinkCommand) override;
    HRESULT STDMETHODCALLTYPE Remove(BSTR value, short column) override;
    HRESULT STDMETHODCALLTYPE item(BSTR value, short column, BSTR* result) override;
    HRESULT STDMETHODCALLTYPE define(BSTR phrase, unsigned char* column, BSTR* result) override;

private:
    ComHandleWords() : words_(new HandleWords()) {}
    ~ComHandleWords() override { words_->Release(); }

    HandleWords* words_;
};

}  // namespace wren::com
