#pragma once
// Strings cross wren's COM boundary one byte per character: byte b travels
// as the character with code b, so every byte value 0-255 (NUL included)
// survives; the BSTR's length prefix, not a terminator, gives the length.
// Header-only: the server and kestrel's client adapter both use it.
#include <oleauto.h>

#include <string>

namespace wren::com {

class ByteString {
public:
    // A new BSTR (the caller frees it), or nullptr when memory ran out.
    static BSTR toBstr(const std::string& bytes) {
        BSTR text = SysAllocStringLen(nullptr, static_cast<UINT>(bytes.size()));
        if (text == nullptr) return nullptr;
        for (std::size_t i = 0; i < bytes.size(); ++i) text[i] = static_cast<unsigned char>(bytes[i]);
        return text;
    }

    // Characters above 255 have no byte; they become '?'. A null BSTR is "".
    static std::string fromBstr(BSTR text) {
        std::string bytes;
        const UINT length = SysStringLen(text);
        bytes.reserve(length);
        for (UINT i = 0; i < length; ++i) bytes += text[i] <= 0xFF ? static_cast<char>(text[i]) : '?';
        return bytes;
    }

    // Replaces *slot (an in/out BSTR) with bytes; false when memory ran out.
    static bool assign(BSTR* slot, const std::string& bytes) {
        BSTR text = toBstr(bytes);
        if (text == nullptr) return false;
        SysFreeString(*slot);
        *slot = text;
        return true;
    }
};

}  // namespace wren::com
