#pragma once
#include <oleauto.h>

#include <new>
#include <string>

#include "codec/com/ByteString.h"

namespace kestrel {

// A BSTR owned by a scope; kestrel's strings go in and come out byte for byte.
class Bstr {
public:
    explicit Bstr(const std::string& bytes) : text_(wren::com::ByteString::toBstr(bytes)) {
        if (text_ == nullptr) throw std::bad_alloc();
    }
    Bstr() = default;
    ~Bstr() { SysFreeString(text_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR get() const { return text_; }
    BSTR* slot() { return &text_; }
    std::string bytes() const { return wren::com::ByteString::fromBstr(text_); }

private:
    BSTR text_ = nullptr;
};

}  // namespace kestrel
