#include "platform/win32/WrenComLetters.h"

#include <ocidl.h>

#include "codec/com/ByteString.h"
#include "platform/win32/Bstr.h"
#include "platform/win32/ComCall.h"

namespace kestrel {

using wren::com::ByteString;

namespace {

IConnectionPoint* updatedPoint(_HandleLetters* object) {
    IConnectionPointContainer* container = nullptr;
    ComCall::check(object->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container)),
                   "QueryInterface");
    IConnectionPoint* point = nullptr;
    HRESULT result = container->FindConnectionPoint(DIID___HandleLetters, &point);
    container->Release();
    ComCall::check(result, "FindConnectionPoint");
    return point;
}

}  // namespace

WrenComLetters::~WrenComLetters() {
    if (point_ != nullptr) {
        if (cookie_ != 0) point_->Unadvise(cookie_);
        point_->Release();
    }
    object_->Release();
}

void WrenComLetters::Release() { delete this; }

void WrenComLetters::add(std::string& Value1, std::string& Value2, const std::string& method) {
    Bstr first(Value1), second(Value2), kind(method);
    VARIANT methodWord;
    VariantInit(&methodWord);
    methodWord.vt = VT_BSTR;
    methodWord.bstrVal = kind.get();
    ComCall::check(object_->add(first.slot(), second.slot(), methodWord), "add");
    Value1 = first.bytes();
    Value2 = second.bytes();
}

std::string WrenComLetters::encode(const std::string& phrase) {
    Bstr in(phrase), out;
    ComCall::check(object_->encode(in.get(), out.slot()), "encode");
    return out.bytes();
}

std::string WrenComLetters::Decode(const std::string& phrase) {
    Bstr in(phrase), out;
    ComCall::check(object_->Decode(in.get(), out.slot()), "Decode");
    return out.bytes();
}

int16_t WrenComLetters::bError() const {
    short value = 0;
    ComCall::check(object_->get_bError(&value), "bError");
    return value;
}

void WrenComLetters::setBError(int16_t value) { ComCall::check(object_->put_bError(value), "bError"); }

std::string WrenComLetters::sLog() const {
    Bstr value;
    ComCall::check(object_->get_sLog(value.slot()), "sLog");
    return value.bytes();
}

void WrenComLetters::setSLog(const std::string& value) {
    Bstr text(value);
    ComCall::check(object_->put_sLog(text.get()), "sLog");
}

void WrenComLetters::advise(wren::HandleLettersEvents* receiver) {
    receiver_ = receiver;
    if ((receiver != nullptr) == (cookie_ != 0)) return;
    if (point_ == nullptr) point_ = updatedPoint(object_);
    if (receiver != nullptr) {
        ComCall::check(point_->Advise(&sink_, &cookie_), "Advise");
    } else {
        const DWORD cookie = cookie_;
        cookie_ = 0;
        ComCall::check(point_->Unadvise(cookie), "Unadvise");
    }
}

std::string WrenComLetters::hexForm(unsigned char byte) const {
    Bstr out;
    ComCall::check(object_->hexForm(byte, out.slot()), "hexForm");
    return out.bytes();
}

HRESULT WrenComLetters::Sink::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, DIID___HandleLetters)) {
        *object = static_cast<IDispatch*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT WrenComLetters::Sink::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT WrenComLetters::Sink::Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                     UINT*) {
    if (member != 1) return DISP_E_MEMBERNOTFOUND;
    if (params == nullptr || params->cArgs != 2) return DISP_E_BADPARAMCOUNT;
    VARIANTARG& log = params->rgvarg[1];
    VARIANTARG& errors = params->rgvarg[0];
    if (log.vt != (VT_BSTR | VT_BYREF) || errors.vt != (VT_I2 | VT_BYREF)) return DISP_E_TYPEMISMATCH;
    if (owner_.receiver_ == nullptr) return S_OK;
    // No exception may leave through the server's call.
    try {
        std::string text = ByteString::fromBstr(*log.pbstrVal);
        int16_t flag = *errors.piVal;
        owner_.receiver_->Updated(text, flag);
        *errors.piVal = flag;
        return ByteString::assign(log.pbstrVal, text) ? S_OK : E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

}  // namespace kestrel
