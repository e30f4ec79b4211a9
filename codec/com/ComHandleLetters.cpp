#include "codec/com/ComHandleLetters.h"

#include <olectl.h>

#include "codec/com/ByteString.h"
#include "codec/com/VariantText.h"

namespace wren::com {

ComHandleLetters::ComHandleLetters() : letters_(new HandleLetters()), updated_(*this) { letters_->advise(this); }

ComHandleLetters::~ComHandleLetters() {
    letters_->advise(nullptr);
    letters_->Release();
}

HRESULT ComHandleLetters::create(REFIID riid, void** object) {
    return guardedCall([&] {
        auto* letters = new ComHandleLetters();
        HRESULT result = letters->loadTypeInfo(IID__HandleLetters);
        if (SUCCEEDED(result)) result = letters->QueryInterface(riid, object);
        letters->Release();
        return result;
    });
}

HRESULT ComHandleLetters::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, IID__HandleLetters)) {
        *object = static_cast<_HandleLetters*>(this);
    } else if (IsEqualIID(riid, IID_IConnectionPointContainer)) {
        *object = static_cast<IConnectionPointContainer*>(this);
    } else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

HRESULT ComHandleLetters::get_bError(short* value) {
    if (value == nullptr) return E_POINTER;
    *value = letters_->bError();
    return S_OK;
}

HRESULT ComHandleLetters::put_bError(short value) {
    letters_->setBError(value);
    return S_OK;
}

HRESULT ComHandleLetters::get_sLog(BSTR* value) {
    if (value == nullptr) return E_POINTER;
    *value = ByteString::toBstr(letters_->sLog());
    return *value != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT ComHandleLetters::put_sLog(BSTR value) {
    return guardedCall([&] {
        letters_->setSLog(ByteString::fromBstr(value));
        return S_OK;
    });
}

HRESULT ComHandleLetters::add(BSTR* Value1, BSTR* Value2, VARIANT method) {
    return VariantText::addPair(
        Value1, Value2, method,
        [&](std::string& first, std::string& second, const std::string& word) { letters_->add(first, second, word); });
}

HRESULT ComHandleLetters::encode(BSTR phrase, BSTR* result) {
    if (result == nullptr) return E_POINTER;
    *result = nullptr;
    return guardedCall([&] {
        *result = ByteString::toBstr(letters_->encode(ByteString::fromBstr(phrase)));
        return *result != nullptr ? S_OK : E_OUTOFMEMORY;
    });
}

HRESULT ComHandleLetters::Decode(BSTR phrase, BSTR* result) {
    if (result == nullptr) return E_POINTER;
    *result = nullptr;
    return guardedCall([&] {
        *result = ByteString::toBstr(letters_->Decode(ByteString::fromBstr(phrase)));
        return *result != nullptr ? S_OK : E_OUTOFMEMORY;
    });
}

HRESULT ComHandleLetters::hexForm(short byteValue, BSTR* result) {
    if (result == nullptr) return E_POINTER;
    *result = nullptr;
    if (byteValue < 0 || byteValue > 0xFF) return E_INVALIDARG;
    return guardedCall([&] {
        *result = ByteString::toBstr(letters_->hexForm(static_cast<unsigned char>(byteValue)));
        return *result != nullptr ? S_OK : E_OUTOFMEMORY;
    });
}

HRESULT ComHandleLetters::EnumConnectionPoints(IEnumConnectionPoints** points) {
    if (points != nullptr) *points = nullptr;
    return E_NOTIMPL;
}

HRESULT ComHandleLetters::FindConnectionPoint(REFIID riid, IConnectionPoint** point) {
    if (point == nullptr) return E_POINTER;
    *point = nullptr;
    if (!IsEqualIID(riid, DIID___HandleLetters)) return CONNECT_E_NOCONNECTION;
    updated_.AddRef();
    *point = &updated_;
    return S_OK;
}

void ComHandleLetters::Updated(std::string& Log, int16_t& errors) {
    short value = errors;
    updated_.fire(Log, value);
    errors = value;
}

}  // namespace wren::com
