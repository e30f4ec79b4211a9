#pragma once
// The text of an automation argument that may be a word or a number.
#include <oleauto.h>

#include <string>

#include "codec/com/ByteString.h"
#include "codec/com/DispatchObject.h"

namespace wren::com {

class VariantText {
public:
    // Strings keep their bytes, numbers become their decimal digits; an
    // omitted optional argument and an empty variant are "". Anything else
    // (an object, an array) gives false.
    static bool read(const VARIANT& value, std::string& text) {
        VARIANT plain;
        VariantInit(&plain);
        if (FAILED(VariantCopyInd(&plain, const_cast<VARIANT*>(&value)))) return false;
        bool ok = true;
        if (plain.vt == VT_EMPTY || (plain.vt == VT_ERROR && plain.scode == DISP_E_PARAMNOTFOUND)) {
            text.clear();
        } else if (plain.vt == VT_BSTR) {
            text = ByteString::fromBstr(plain.bstrVal);
        } else if (SUCCEEDED(VariantChangeType(&plain, &plain, 0, VT_BSTR))) {
            text = ByteString::fromBstr(plain.bstrVal);
        } else {
            ok = false;
        }
        VariantClear(&plain);
        return ok;
    }

    // The shape of both classes' add: two texts passed by reference (they
    // come back rewritten) and a word or number; add(first, second, word).
    template <class Add>
    static HRESULT addPair(BSTR* first, BSTR* second, const VARIANT& word, Add add) {
        if (first == nullptr || second == nullptr) return E_POINTER;
        return guardedCall([&] {
            std::string wordText;
            if (!read(word, wordText)) return DISP_E_TYPEMISMATCH;
            std::string firstText = ByteString::fromBstr(*first);
            std::string secondText = ByteString::fromBstr(*second);
            add(firstText, secondText, wordText);
            if (!ByteString::assign(first, firstText) || !ByteString::assign(second, secondText)) return E_OUTOFMEMORY;
            return S_OK;
        });
    }
};

}  // namespace wren::com
