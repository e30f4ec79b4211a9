#pragma once
// The connection point of HandleLetters' Updated event. It lives inside its
// object and shares that object's reference count. Any number of sinks may
// be advised; each is called in the order of advising.
#include <windows.h>
#include <ocidl.h>

#include <string>
#include <utility>
#include <vector>

namespace wren::com {

class UpdatedConnection final : public IConnectionPoint {
public:
    explicit UpdatedConnection(IConnectionPointContainer& owner) : owner_(owner) {}
    ~UpdatedConnection();
    UpdatedConnection(const UpdatedConnection&) = delete;
    UpdatedConnection& operator=(const UpdatedConnection&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return owner_.AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return owner_.Release(); }

    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* interfaceId) override;
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** container) override;
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** connections) override;

    // Calls Updated(Log, errors) on every sink; a sink may change both, and
    // the next sink and the caller see the change. Sinks that fail are skipped.
    void fire(std::string& log, short& errors);

private:
    IConnectionPointContainer& owner_;
    std::vector<std::pair<DWORD, IDispatch*>> sinks_;
    DWORD nextCookie_ = 1;
};

}  // namespace wren::com
