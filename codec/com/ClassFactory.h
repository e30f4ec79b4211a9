#pragma once
// The class object of one creatable class. Aggregation is refused: no class
// of wren delegates its IUnknown.
#include <windows.h>
#include <unknwn.h>

namespace wren::com {

class ClassFactory final : public IClassFactory {
public:
    using Create = HRESULT (*)(REFIID riid, void** object);

    // A new class object for `create`, asked for `riid`.
    static HRESULT make(Create create, REFIID riid, void** object);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

private:
    explicit ClassFactory(Create create);
    ~ClassFactory();

    LONG references_ = 1;
    Create create_;
};

}  // namespace wren::com
