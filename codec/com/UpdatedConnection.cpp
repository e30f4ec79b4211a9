#include "codec/com/UpdatedConnection.h"

#include <olectl.h>

#include "codec/com/ByteString.h"
#include "codec/com/WrenTypes.h"

namespace wren::com {

UpdatedConnection::~UpdatedConnection() {
    for (auto& sink : sinks_) sink.second->Release();
}

HRESULT UpdatedConnection::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IConnectionPoint)) {
        *object = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT UpdatedConnection::GetConnectionInterface(IID* interfaceId) {
    if (interfaceId == nullptr) return E_POINTER;
    *interfaceId = DIID___HandleLetters;
    return S_OK;
}

HRESULT UpdatedConnection::GetConnectionPointContainer(IConnectionPointContainer** container) {
    if (container == nullptr) return E_POINTER;
    owner_.AddRef();
    *container = &owner_;
    return S_OK;
}

HRESULT UpdatedConnection::Advise(IUnknown* sink, DWORD* cookie) {
    if (cookie == nullptr) return E_POINTER;
    *cookie = 0;
    if (sink == nullptr) return E_POINTER;
    IDispatch* events = nullptr;
    // A sink that implements the event interface answers it; a generic
    // late-bound sink answers IDispatch.
    if (FAILED(sink->QueryInterface(DIID___HandleLetters, reinterpret_cast<void**>(&events))) &&
        FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&events))))
        return CONNECT_E_CANNOTCONNECT;
    try {
        sinks_.emplace_back(nextCookie_, events);
    } catch (...) {
        events->Release();
        return E_OUTOFMEMORY;
    }
    *cookie = nextCookie_++;
    return S_OK;
}

HRESULT UpdatedConnection::Unadvise(DWORD cookie) {
    for (auto it = sinks_.begin(); it != sinks_.end(); ++it) {
        if (it->first != cookie) continue;
        IDispatch* events = it->second;
        sinks_.erase(it);
        events->Release();
        return S_OK;
    }
    return CONNECT_E_NOCONNECTION;
}

HRESULT UpdatedConnection::EnumConnections(IEnumConnections** connections) {
    if (connections != nullptr) *connections = nullptr;
    return E_NOTIMPL;
}

void UpdatedConnection::fire(std::string& log, short& errors) {
    if (sinks_.empty()) return;
    // A sink may unadvise itself (or others) while it is called: call a copy.
    std::vector<IDispatch*> targets;
    targets.reserve(sinks_.size());
    for (auto& sink : sinks_) {
        sink.second->AddRef();
        targets.push_back(sink.second);
    }
    BSTR text = ByteString::toBstr(log);
    if (text != nullptr) {
        for (IDispatch* target : targets) {
            // Arguments go last to first: errors, then Log.
            VARIANTARG arguments[2];
            VariantInit(&arguments[0]);
            VariantInit(&arguments[1]);
            arguments[0].vt = VT_I2 | VT_BYREF;
            arguments[0].piVal = &errors;
            arguments[1].vt = VT_BSTR | VT_BYREF;
            arguments[1].pbstrVal = &text;
            DISPPARAMS params{arguments, nullptr, 2, 0};
            target->Invoke(1, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
        }
        log = ByteString::fromBstr(text);
        SysFreeString(text);
    }
    for (IDispatch* target : targets) target->Release();
}

}  // namespace wren::com
