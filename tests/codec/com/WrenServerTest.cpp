// wren.dll as an in-process server: registered with regsvr32, created the way
// any client creates it, driven early- and late-bound.
#include <olectl.h>

#include <cstring>

#include "ComTestSupport.h"

namespace wren::test {
namespace {

const std::wstring kLettersKey = L"CLSID\\{E2D31C50-DC2C-48ED-A123-1F21841D57C8}";
const std::wstring kWordsKey = L"CLSID\\{40CEEFB8-7657-4C2E-B8BE-B07990DEE3CB}";
const std::wstring kLibraryKey = L"TypeLib\\{A44958E3-D472-4266-AA7D-7699B5DCBC23}";

std::wstring wrenPath() { return programFolder() + L"wren.dll"; }

// COM on the test thread and wren.dll registered for every test; the
// registration stays for the other tests of the run, which start kestrel.
class ServerEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        ASSERT_EQ(runRegsvr32(wrenPath(), false), 0u);
    }
    void TearDown() override { CoUninitialize(); }
};
const auto* const gEnvironment = ::testing::AddGlobalTestEnvironment(new ServerEnvironment);

template <class Interface>
void createLetters(ComPtr<Interface>& object, REFIID interfaceId) {
    ASSERT_EQ(CoCreateInstance(CLSID_HandleLetters, nullptr, CLSCTX_INPROC_SERVER, interfaceId, object.out()), S_OK);
}

// add(Value1, Value2, method) with the method given as a word.
HRESULT add(_HandleLetters& letters, const std::string& value1, const std::string& value2, const char* method) {
    Text first(value1), second(value2), kind(method);
    VARIANT methodWord;
    VariantInit(&methodWord);
    methodWord.vt = VT_BSTR;
    methodWord.bstrVal = kind.get();
    BSTR firstSlot = first.get();
    BSTR secondSlot = second.get();
    HRESULT result = letters.add(&firstSlot, &secondSlot, methodWord);
    // add may hand back new strings in the slots; the wrappers free the old.
    if (firstSlot != first.get()) SysFreeString(firstSlot);
    if (secondSlot != second.get()) SysFreeString(secondSlot);
    return result;
}

std::string encode(_HandleLetters& letters, const std::string& phrase) {
    Text in(phrase), out;
    EXPECT_EQ(letters.encode(in.get(), out.out()), S_OK);
    return out.bytes();
}

std::string decode(_HandleLetters& letters, const std::string& phrase) {
    Text in(phrase), out;
    EXPECT_EQ(letters.Decode(in.get(), out.out()), S_OK);
    return out.bytes();
}

std::string hex(int value) {
    char digits[8];
    snprintf(digits, sizeof digits, "&h%02X", value);
    return digits;
}

TEST(WrenServerCreation, BothClassesByProgramIdAndClassId) {
    CLSID fromName{};
    ASSERT_EQ(CLSIDFromProgID(L"Wren.HandleLetters", &fromName), S_OK);
    EXPECT_TRUE(IsEqualCLSID(fromName, CLSID_HandleLetters));
    ASSERT_EQ(CLSIDFromProgID(L"Wren.HandleWords", &fromName), S_OK);
    EXPECT_TRUE(IsEqualCLSID(fromName, CLSID_HandleWords));

    ComPtr<_HandleLetters> letters;
    createLetters(letters, IID__HandleLetters);
    ComPtr<_HandleWords> words;
    ASSERT_EQ(CoCreateInstance(fromName, nullptr, CLSCTX_INPROC_SERVER, IID__HandleWords, words.out()), S_OK);

    ComPtr<IConnectionPointContainer> container;
    EXPECT_EQ(letters->QueryInterface(IID_IConnectionPointContainer, container.out()), S_OK);
    ComPtr<IUnknown> none;
    EXPECT_EQ(words->QueryInterface(IID__HandleLetters, none.out()), E_NOINTERFACE);
    EXPECT_EQ(words->QueryInterface(IID_IConnectionPointContainer, none.out()), E_NOINTERFACE);
}

TEST(WrenServerCreation, AggregationIsRefused) {
    RecordingSink outer;  // any IUnknown will do as the would-be outer object
    ComPtr<IUnknown> inner;
    EXPECT_EQ(CoCreateInstance(CLSID_HandleLetters, &outer, CLSCTX_INPROC_SERVER, IID_IUnknown, inner.out()),
              CLASS_E_NOAGGREGATION);
    EXPECT_EQ(CoCreateInstance(CLSID_HandleWords, &outer, CLSCTX_INPROC_SERVER, IID_IUnknown, inner.out()),
              CLASS_E_NOAGGREGATION);
    EXPECT_EQ(inner.get(), nullptr);
}

TEST(WrenServerCreation, UnloadRefusedWhileAnObjectOrLockLives) {
    HMODULE wren = LoadLibraryW(wrenPath().c_str());
    ASSERT_NE(wren, nullptr);
    // Through a generic function pointer: FARPROC has no parameters.
    using Generic = void (*)();
    auto canUnload = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
        reinterpret_cast<Generic>(GetProcAddress(wren, "DllCanUnloadNow")));
    auto getClassObject = reinterpret_cast<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>(
        reinterpret_cast<Generic>(GetProcAddress(wren, "DllGetClassObject")));
    ASSERT_NE(canUnload, nullptr);
    ASSERT_NE(getClassObject, nullptr);
    ASSERT_EQ(canUnload(), S_OK);
    {
        ComPtr<_HandleWords> words;
        ASSERT_EQ(CoCreateInstance(CLSID_HandleWords, nullptr, CLSCTX_INPROC_SERVER, IID__HandleWords, words.out()),
                  S_OK);
        EXPECT_EQ(canUnload(), S_FALSE);
    }
    EXPECT_EQ(canUnload(), S_OK);
    {
        ComPtr<IClassFactory> factory;
        ASSERT_EQ(getClassObject(CLSID_HandleLetters, IID_IClassFactory, factory.out()), S_OK);
        EXPECT_EQ(canUnload(), S_FALSE) << "a class object counts as an object";
        ASSERT_EQ(factory->LockServer(TRUE), S_OK);
        factory.reset();
        EXPECT_EQ(canUnload(), S_FALSE) << "a lock keeps the server";
        ASSERT_EQ(getClassObject(CLSID_HandleLetters, IID_IClassFactory, factory.out()), S_OK);
        ASSERT_EQ(factory->LockServer(FALSE), S_OK);
    }
    EXPECT_EQ(canUnload(), S_OK);
    ComPtr<IClassFactory> unknown;
    EXPECT_EQ(getClassObject(IID__HandleLetters, IID_IClassFactory, unknown.out()), CLASS_E_CLASSNOTAVAILABLE);
    FreeLibrary(wren);
}

TEST(WrenServerStrings, EveryByteValueRoundTripsThroughEncodeAndDecode) {
    ComPtr<_HandleLetters> letters;
    createLetters(letters, IID__HandleLetters);
    std::string all;
    for (int value = 0; value < 256; ++value) {
        ASSERT_EQ(add(*letters.get(), std::string(1, static_cast<char>(value)), hex(value), "text"), S_OK);
        all += static_cast<char>(value);
    }
    const std::string encoded = encode(*letters.get(), all);
    EXPECT_EQ(encoded, all);
    EXPECT_EQ(decode(*letters.get(), encoded), all);
    short errors = -1;
    ASSERT_EQ(letters->get_bError(&errors), S_OK);
    EXPECT_EQ(errors, 0);
}

TEST(WrenServerStrings, TablesMapBytesBothWaysAndByReferenceArgumentsComeBack) {
    ComPtr<_HandleLetters> letters;
    createLetters(letters, IID__HandleLetters);
    ASSERT_EQ(add(*letters.get(), "A", "&h80", "text"), S_OK);
    ASSERT_EQ(add(*letters.get(), std::string(1, '\0'), "&hFF", "text"), S_OK);
    EXPECT_EQ(encode(*letters.get(), std::string("A\0A", 3)), "\x80\xFF\x80");
    EXPECT_EQ(decode(*letters.get(), "\xFF\x80"), std::string("\0A", 2));

    ComPtr<_HandleWords> words;
    ASSERT_EQ(CoCreateInstance(CLSID_HandleWords, nullptr, CLSCTX_INPROC_SERVER, IID__HandleWords, words.out()), S_OK);
    Text valueA("UP"), valueB("#01");
    VARIANT noLink;
    VariantInit(&noLink);
    noLink.vt = VT_ERROR;
    noLink.scode = DISP_E_PARAMNOTFOUND;
    BSTR a = valueA.get(), b = valueB.get();
    ASSERT_EQ(words->add(&a, &b, noLink), S_OK);
    Text rewrittenA, rewrittenB;
    *rewrittenA.out() = a;
    *rewrittenB.out() = b;
    EXPECT_EQ(rewrittenA.bytes(), "up");
    EXPECT_EQ(rewrittenB.bytes(), "&h01");
    Text phrase("move UP"), defined;
    unsigned char column = 0;
    ASSERT_EQ(words->define(phrase.get(), &column, defined.out()), S_OK);
    EXPECT_EQ(defined.bytes(), std::string("move \x01 ", 7));
}

TEST(WrenServerStrings, OutOfRangeAndMissingArgumentsAreRefusedNotCrashed) {
    ComPtr<_HandleLetters> letters;
    createLetters(letters, IID__HandleLetters);
    Text out;
    EXPECT_EQ(letters->hexForm(256, out.out()), E_INVALIDARG);
    EXPECT_EQ(letters->encode(nullptr, nullptr), E_POINTER);
    ASSERT_EQ(letters->encode(nullptr, out.out()), S_OK) << "a null BSTR is the empty string";
    EXPECT_EQ(out.bytes(), "");
    VARIANT object;
    VariantInit(&object);
    object.vt = VT_UNKNOWN;
    object.punkVal = letters.get();
    Text first("x"), second("y");
    BSTR a = first.get(), b = second.get();
    EXPECT_EQ(letters->add(&a, &b, object), DISP_E_TYPEMISMATCH);
}

class WrenServerEvents : public ::testing::Test {
protected:
    void SetUp() override {
        createLetters(letters, IID__HandleLetters);
        ComPtr<IConnectionPointContainer> container;
        ASSERT_EQ(letters->QueryInterface(IID_IConnectionPointContainer, container.out()), S_OK);
        ASSERT_EQ(container->FindConnectionPoint(DIID___HandleLetters, point.put()), S_OK);
        ASSERT_EQ(add(*letters.get(), "A", "&h41", "text"), S_OK);
    }

    ComPtr<_HandleLetters> letters;
    ComPtr<IConnectionPoint> point;
};

TEST_F(WrenServerEvents, EverySinkSeesExactlyOneUpdatedPerCall) {
    RecordingSink first, second;
    DWORD firstCookie = 0, secondCookie = 0;
    ASSERT_EQ(point->Advise(&first, &firstCookie), S_OK);
    ASSERT_EQ(point->Advise(&second, &secondCookie), S_OK);
    EXPECT_NE(firstCookie, secondCookie);

    encode(*letters.get(), "A");
    EXPECT_EQ(first.calls, 1);
    EXPECT_EQ(second.calls, 1);
    decode(*letters.get(), "A");
    EXPECT_EQ(first.calls, 2);
    EXPECT_EQ(second.calls, 2);
    add(*letters.get(), "B", "&h42", "text");
    EXPECT_EQ(first.calls, 2) << "add raises nothing";

    ASSERT_EQ(point->Unadvise(firstCookie), S_OK);
    EXPECT_EQ(point->Unadvise(firstCookie), CONNECT_E_NOCONNECTION);
    encode(*letters.get(), "A");
    EXPECT_EQ(first.calls, 2);
    EXPECT_EQ(second.calls, 3);
    ASSERT_EQ(point->Unadvise(secondCookie), S_OK);
    EXPECT_EQ(first.references, 0u);
    EXPECT_EQ(second.references, 0u);
}

TEST_F(WrenServerEvents, ArgumentsAreTheLogAndErrorFlagByReference) {
    RecordingSink sink;
    sink.replacementLog = "seen";
    DWORD cookie = 0;
    ASSERT_EQ(point->Advise(&sink, &cookie), S_OK);
    encode(*letters.get(), "A?");  // '?' has no entry
    EXPECT_EQ(sink.lastErrors, 1);
    EXPECT_NE(sink.lastLog.find("Softcode Error: Not Translatable Value"), std::string::npos);
    Text log;
    ASSERT_EQ(letters->get_sLog(log.out()), S_OK);
    EXPECT_EQ(log.bytes(), "seen") << "the sink's change reaches the object";
    point->Unadvise(cookie);
}

TEST_F(WrenServerEvents, SinksWithoutTheEventInterfaceAreRefused) {
    ComPtr<IClassFactory> notASink;
    ASSERT_EQ(CoGetClassObject(CLSID_HandleWords, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory, notASink.out()),
              S_OK);
    DWORD cookie = 7;
    EXPECT_EQ(point->Advise(notASink.get(), &cookie), CONNECT_E_CANNOTCONNECT);
    EXPECT_EQ(cookie, 0u);
    IID events{};
    ASSERT_EQ(point->GetConnectionInterface(&events), S_OK);
    EXPECT_TRUE(IsEqualIID(events, DIID___HandleLetters));
    ComPtr<IConnectionPointContainer> container;
    ComPtr<IConnectionPoint> other;
    ASSERT_EQ(letters->QueryInterface(IID_IConnectionPointContainer, container.out()), S_OK);
    EXPECT_EQ(container->FindConnectionPoint(IID_IDispatch, other.put()), CONNECT_E_NOCONNECTION);
}

// Late binding goes through the embedded type library: names resolve to
// member identifiers and Invoke reaches the same methods.
TEST(WrenServerLateBinding, NamesAndInvokeReachTheMethods) {
    ComPtr<IDispatch> letters;
    createLetters(letters, IID_IDispatch);
    UINT count = 0;
    ASSERT_EQ(letters->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 1u);

    LPOLESTR names[] = {const_cast<LPOLESTR>(L"ADD"), const_cast<LPOLESTR>(L"encode"), const_cast<LPOLESTR>(L"bError")};
    DISPID ids[3] = {};
    for (int i = 0; i < 3; ++i) ASSERT_EQ(letters->GetIDsOfNames(IID_NULL, &names[i], 1, 0, &ids[i]), S_OK) << i;
    LPOLESTR missing = const_cast<LPOLESTR>(L"nothing");
    DISPID none = 0;
    EXPECT_EQ(letters->GetIDsOfNames(IID_NULL, &missing, 1, 0, &none), DISP_E_UNKNOWNNAME);

    // add "A", "&h90", 2 (the method as a number)
    VARIANTARG addArguments[3];
    for (auto& argument : addArguments) VariantInit(&argument);
    addArguments[0].vt = VT_I4;
    addArguments[0].lVal = 2;
    addArguments[1].vt = VT_BSTR;
    addArguments[1].bstrVal = SysAllocString(L"&h90");
    addArguments[2].vt = VT_BSTR;
    addArguments[2].bstrVal = SysAllocString(L"A");
    DISPPARAMS addParams{addArguments, nullptr, 3, 0};
    ASSERT_EQ(letters->Invoke(ids[0], IID_NULL, 0, DISPATCH_METHOD, &addParams, nullptr, nullptr, nullptr), S_OK);
    for (auto& argument : addArguments) VariantClear(&argument);

    VARIANTARG phrase;
    VariantInit(&phrase);
    phrase.vt = VT_BSTR;
    phrase.bstrVal = SysAllocString(L"AA");
    DISPPARAMS encodeParams{&phrase, nullptr, 1, 0};
    VARIANT result;
    VariantInit(&result);
    ASSERT_EQ(letters->Invoke(ids[1], IID_NULL, 0, DISPATCH_METHOD, &encodeParams, &result, nullptr, nullptr), S_OK);
    ASSERT_EQ(result.vt, VT_BSTR);
    EXPECT_EQ(com::ByteString::fromBstr(result.bstrVal), "\x90\x90");
    VariantClear(&result);
    VariantClear(&phrase);

    DISPPARAMS noArguments{nullptr, nullptr, 0, 0};
    ASSERT_EQ(letters->Invoke(ids[2], IID_NULL, 0, DISPATCH_PROPERTYGET, &noArguments, &result, nullptr, nullptr),
              S_OK);
    EXPECT_EQ(result.vt, VT_I2);
    EXPECT_EQ(result.iVal, 0);
    EXPECT_EQ(letters->Invoke(ids[1], IID_IDispatch, 0, DISPATCH_METHOD, &noArguments, &result, nullptr, nullptr),
              DISP_E_UNKNOWNINTERFACE);
}

// Last in the file: unregistering, then registering again for the tests
// that follow in the run.
TEST(WrenServerRegistration, UnregisterRemovesOnlyWhatPointsAtThisDll) {
    const std::wstring ours = wrenPath();
    EXPECT_EQ(classesDefault(kLettersKey + L"\\InprocServer32"), ours);
    EXPECT_EQ(classesDefault(kLettersKey + L"\\ProgID"), L"Wren.HandleLetters");
    EXPECT_EQ(classesDefault(L"Wren.HandleWords\\CLSID"), L"{40CEEFB8-7657-4C2E-B8BE-B07990DEE3CB}");
    EXPECT_EQ(classesDefault(kLibraryKey + L"\\1.0\\0\\win32"), ours);
    EXPECT_TRUE(classesKeyExists(L"Interface\\{B3DC2DC8-E4EE-4310-BCB1-BB34FC66C915}"));
    // The type library describes IDispatch for its own layout only; the
    // system's registration of IDispatch must not be taken over.
    EXPECT_NE(classesDefault(L"Interface\\{00020400-0000-0000-C000-000000000046}\\TypeLib"),
              L"{A44958E3-D472-4266-AA7D-7699B5DCBC23}");

    // A copy registered in another folder owns the keys now: unregistering
    // ours leaves them alone.
    wchar_t temp[MAX_PATH + 1];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring copyFolder = std::wstring(temp) + L"wren copy";
    CreateDirectoryW(copyFolder.c_str(), nullptr);
    const std::wstring copy = copyFolder + L"\\wren.dll";
    ASSERT_TRUE(CopyFileW(ours.c_str(), copy.c_str(), FALSE));
    ASSERT_EQ(runRegsvr32(copy, false), 0u);
    EXPECT_EQ(classesDefault(kWordsKey + L"\\InprocServer32"), copy) << "a path with spaces is kept whole";
    ASSERT_EQ(runRegsvr32(ours, true), 0u);
    EXPECT_EQ(classesDefault(kWordsKey + L"\\InprocServer32"), copy);
    EXPECT_TRUE(classesKeyExists(L"Wren.HandleLetters"));

    ASSERT_EQ(runRegsvr32(copy, true), 0u);
    EXPECT_FALSE(classesKeyExists(kLettersKey));
    EXPECT_FALSE(classesKeyExists(kWordsKey));
    EXPECT_FALSE(classesKeyExists(L"Wren.HandleLetters"));
    EXPECT_FALSE(classesKeyExists(L"Wren.HandleWords"));
    EXPECT_FALSE(classesKeyExists(kLibraryKey));
    ComPtr<IUnknown> object;
    EXPECT_EQ(CoCreateInstance(CLSID_HandleLetters, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, object.out()),
              REGDB_E_CLASSNOTREG);
    DeleteFileW(copy.c_str());
    RemoveDirectoryW(copyFolder.c_str());

    ASSERT_EQ(runRegsvr32(ours, false), 0u);
    EXPECT_EQ(classesDefault(kLettersKey + L"\\InprocServer32"), ours);
}

}  // namespace
}  // namespace wren::test
