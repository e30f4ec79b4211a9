#include "codec/com/ComHandleWords.h"

#include "codec/com/ByteString.h"
#include "codec/com/VariantText.h"

namespace wren::com {

HRESULT ComHandleWords::create(REFIID riid, void** object) {
    return guardedCall([&] {
        auto* words = new ComHandleWords();
        HRESULT result = words->loadTypeInfo(IID__HandleWords);
        if (SUCCEEDED(result)) result = words->QueryInterface(riid, object);
        words->Release();
        return result;
    });
}

HRESULT ComHandleWords::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, IID__HandleWords)) {
        *object = static_cast<_HandleWords*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT ComHandleWords::add(BSTR* ValueA, BSTR* ValueB, VARIANT LinkCommand) {
    return VariantText::addPair(
        ValueA, ValueB, LinkCommand,
        [&](std::string& first, std::string& second, const std::string& link) { words_->add(first, second, link); });
}

HRESULT ComHandleWords::Remove(BSTR value, short column) {
    return guardedCall([&] {
        words_->Remove(ByteString::fromBstr(value), column);
        return S_OK;
    });
}

HRESULT ComHandleWords::item(BSTR value, short column, BSTR* result) {
    if (result == nullptr) return E_POINTER;
    *result = nullptr;
    return guardedCall([&] {
        *result = ByteString::toBstr(words_->item(ByteString::fromBstr(value), column));
        return *result != nullptr ? S_OK : E_OUTOFMEMORY;
    });
}

HRESULT ComHandleWords::define(BSTR phrase, unsigned char* column, BSTR* result) {
    if (column == nullptr || result == nullptr) return E_POINTER;
    *result = nullptr;
    return guardedCall([&] {
        uint8_t chosen = *column;
        *result = ByteString::toBstr(words_->define(ByteString::fromBstr(phrase), chosen));
        *column = chosen;
        return *result != nullptr ? S_OK : E_OUTOFMEMORY;
    });
}

}  // namespace wren::com
