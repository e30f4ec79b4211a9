#include "codec/com/ServerRegistration.h"

#include <oleauto.h>
#include <olectl.h>

#include <string>
#include <vector>

#include "codec/Wren.h"
#include "codec/com/ServerModule.h"
#include "codec/com/WrenTypes.h"

namespace wren::com {

namespace {

struct ClassKeys {
    const char* classId;
    const wchar_t* progId;
    const wchar_t* name;
};

const ClassKeys kClasses[] = {
    {kHandleLettersClsid, L"Wren.HandleLetters", L"HandleLetters"},
    {kHandleWordsClsid, L"Wren.HandleWords", L"HandleWords"},
};

std::wstring widen(const char* text) { return std::wstring(text, text + std::char_traits<char>::length(text)); }

// Creates (or opens) HKCR\path and sets one string value ("" = the default).
LSTATUS setString(const std::wstring& path, const wchar_t* valueName, const std::wstring& value) {
    HKEY key = nullptr;
    LSTATUS status = RegCreateKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                     KEY_SET_VALUE, nullptr, &key, nullptr);
    if (status != ERROR_SUCCESS) return status;
    status = RegSetValueExW(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return status;
}

// The default value of HKCR\path, or "" when the key or value is missing.
std::wstring defaultValue(const std::wstring& path) {
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    for (;;) {
        DWORD size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
        DWORD type = 0;
        LSTATUS status =
            RegGetValueW(HKEY_CLASSES_ROOT, path.c_str(), nullptr, RRF_RT_REG_SZ, &type, buffer.data(), &size);
        if (status == ERROR_MORE_DATA) {
            buffer.resize(size / sizeof(wchar_t) + 1);
            continue;
        }
        if (status != ERROR_SUCCESS) return L"";
        return std::wstring(buffer.data());
    }
}

bool samePath(const std::wstring& registered, const std::wstring& ours) {
    return !registered.empty() && CompareStringOrdinal(registered.c_str(), -1, ours.c_str(), -1, TRUE) == CSTR_EQUAL;
}

HRESULT fromStatus(LSTATUS status) { return status == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(status); }

}  // namespace

HRESULT ServerRegistration::registerServer() {
    const std::wstring path = ServerModule::path();
    if (path.empty()) return SELFREG_E_CLASS;
    const std::wstring library = widen(kTypeLibraryId);
    for (const ClassKeys& keys : kClasses) {
        const std::wstring clsidKey = L"CLSID\\" + widen(keys.classId);
        const std::wstring progKey = keys.progId;
        LSTATUS status = setString(clsidKey, nullptr, keys.name);
        if (status == ERROR_SUCCESS) status = setString(clsidKey + L"\\InprocServer32", nullptr, path);
        if (status == ERROR_SUCCESS)
            status = setString(clsidKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment");
        if (status == ERROR_SUCCESS) status = setString(clsidKey + L"\\ProgID", nullptr, progKey);
        if (status == ERROR_SUCCESS) status = setString(clsidKey + L"\\TypeLib", nullptr, library);
        if (status == ERROR_SUCCESS) status = setString(clsidKey + L"\\Version", nullptr, L"1.0");
        if (status == ERROR_SUCCESS) status = setString(progKey, nullptr, keys.name);
        if (status == ERROR_SUCCESS) status = setString(progKey + L"\\CLSID", nullptr, widen(keys.classId));
        if (status != ERROR_SUCCESS) return SELFREG_E_CLASS;
    }
    // Registers the library and, for each dual interface and the event
    // interface, the interface keys that let the system marshal them.
    ITypeLib* typeLibrary = nullptr;
    HRESULT result = LoadTypeLibEx(path.c_str(), REGKIND_REGISTER, &typeLibrary);
    if (FAILED(result)) return SELFREG_E_TYPELIB;
    typeLibrary->Release();
    return S_OK;
}

HRESULT ServerRegistration::unregisterServer() {
    const std::wstring path = ServerModule::path();
    HRESULT result = S_OK;
    for (const ClassKeys& keys : kClasses) {
        const std::wstring classId = widen(keys.classId);
        const std::wstring clsidKey = L"CLSID\\" + classId;
        if (!samePath(defaultValue(clsidKey + L"\\InprocServer32"), path)) continue;
        LSTATUS status = RegDeleteTreeW(HKEY_CLASSES_ROOT, clsidKey.c_str());
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) result = fromStatus(status);
        // The program identifier goes with the class only while it names this class.
        if (CompareStringOrdinal(defaultValue(std::wstring(keys.progId) + L"\\CLSID").c_str(), -1, classId.c_str(), -1,
                                 TRUE) == CSTR_EQUAL) {
            status = RegDeleteTreeW(HKEY_CLASSES_ROOT, keys.progId);
            if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) result = fromStatus(status);
        }
    }
    const std::wstring libraryKey = L"TypeLib\\" + widen(kTypeLibraryId) + L"\\1.0\\0\\win32";
    if (samePath(defaultValue(libraryKey), path)) {
        HRESULT removed = UnRegisterTypeLib(LIBID_Wren, 1, 0, 0, SYS_WIN32);
        if (FAILED(removed) && removed != TYPE_E_REGISTRYACCESS) result = removed;
    }
    return result;
}

}  // namespace wren::com
