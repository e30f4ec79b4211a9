#include "platform/win32/Win32Platform.h"

#include <io.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <windows.h>
#include <commdlg.h>
#include <objbase.h>
#include <shellapi.h>

#ifdef KESTREL_WIN32_COM
#  include "codec/Wren.h"
#  include "platform/win32/WrenComLetters.h"
#  include "platform/win32/WrenComWords.h"
#endif
#include "text/KestrelError.h"

namespace kestrel {

namespace {

// Room for the chosen name(s); the dialog writes at most this much.
constexpr DWORD kDialogBufferSize = 256;

// Batch-mode output: raw bytes, the texts may hold any value 1..255.
void printLine(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

std::string titled(const std::string& title, const std::string& text) {
    if (title.empty()) return text;
    // "Notice:" already ends in a colon.
    return title + (title.back() == ':' ? " " : ": ") + text;
}

std::string errorNote(const char* what, DWORD code, const std::string& target) {
    return std::string(what) + " (error " + std::to_string(code) + "): " + target;
}

bool isSeparator(char c) { return c == '\\' || c == '/'; }

std::string withoutTrailingSeparators(std::string path) {
    // "C:\" and "\" keep their separator: without it they mean something else.
    while (path.size() > 1 && isSeparator(path.back()) && path[path.size() - 2] != ':') path.pop_back();
    return path;
}

// `dir` + "\" + `name`, without doubling the separator of a root like "C:\".
std::string joinPath(const std::string& dir, const std::string& name) {
    if (!dir.empty() && isSeparator(dir.back())) return dir + name;
    return dir + "\\" + name;
}

// CreateDirectoryA for every missing level of `path`.
void createDirectories(const std::string& path) {
    for (size_t i = 1; i <= path.size(); ++i) {
        if (i == path.size() || isSeparator(path[i])) {
            std::string level = path.substr(0, i);
            if (!level.empty() && level.back() != ':') CreateDirectoryA(level.c_str(), nullptr);
        }
    }
}

// Whether a file can be created in `dir` (the probe deletes itself on close).
bool isWritableDirectory(const std::string& dir) {
    DWORD attributes = GetFileAttributesA(dir.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    std::string probe = joinPath(dir, "~kestrel-probe-") + std::to_string(GetCurrentProcessId()) + ".tmp";
    HANDLE handle = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    CloseHandle(handle);
    return true;
}

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

// The boxes and dialogs have no owner window, so on their own they would let
// the program's other windows take input (and start a second compile) while
// they wait. Like a task-modal box, they disable the thread's windows first.
class ThreadWindowsDisabled {
public:
    ThreadWindowsDisabled() { EnumThreadWindows(GetCurrentThreadId(), disable, reinterpret_cast<LPARAM>(this)); }
    ~ThreadWindowsDisabled() {
        for (HWND window : disabled_) EnableWindow(window, TRUE);
    }
    ThreadWindowsDisabled(const ThreadWindowsDisabled&) = delete;
    ThreadWindowsDisabled& operator=(const ThreadWindowsDisabled&) = delete;

private:
    static BOOL CALLBACK disable(HWND window, LPARAM self) {
        if (IsWindowVisible(window) && IsWindowEnabled(window)) {
            EnableWindow(window, FALSE);
            reinterpret_cast<ThreadWindowsDisabled*>(self)->disabled_.push_back(window);
        }
        return TRUE;
    }

    std::vector<HWND> disabled_;
};

// --- the input box: a dialog template built in memory -------------------

constexpr WORD kPromptId = 100;
constexpr WORD kEditId = 101;

// Writes a DLGTEMPLATE and its DLGITEMTEMPLATEs word by word. Items must start
// on DWORD boundaries; the vector's storage itself is suitably aligned.
class DialogTemplate {
public:
    void dword(DWORD value) {
        words_.push_back(LOWORD(value));
        words_.push_back(HIWORD(value));
    }
    void word(WORD value) { words_.push_back(value); }
    void text(const wchar_t* value) {
        do words_.push_back(static_cast<WORD>(*value));
        while (*value++);
    }
    void alignToDword() {
        if (words_.size() % 2) words_.push_back(0);
    }
    // Class given by its predefined atom (0x80 button, 0x81 edit, 0x82 static).
    void item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD classAtom, const wchar_t* caption) {
        alignToDword();
        dword(style | WS_CHILD | WS_VISIBLE);
        dword(0);
        word(static_cast<WORD>(x));
        word(static_cast<WORD>(y));
        word(static_cast<WORD>(cx));
        word(static_cast<WORD>(cy));
        word(id);
        word(0xFFFF);
        word(classAtom);
        text(caption);
        word(0);  // no creation data
    }
    const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    std::vector<WORD> words_;
};

// Texts are set in WM_INITDIALOG with the ANSI calls, so the template holds
// only fixed captions.
DialogTemplate inputBoxTemplate() {
    DialogTemplate t;
    t.dword(DS_MODALFRAME | DS_CENTER | DS_SETFONT | DS_SETFOREGROUND | WS_POPUP | WS_CAPTION | WS_SYSMENU);
    t.dword(0);
    t.word(4);  // controls
    t.word(0);
    t.word(0);
    t.word(240);
    t.word(78);
    t.word(0);  // no menu
    t.word(0);  // standard dialog class
    t.text(L"");
    t.word(8);
    t.text(L"MS Shell Dlg");
    t.item(SS_LEFT | SS_NOPREFIX, 7, 7, 226, 26, kPromptId, 0x0082, L"");
    t.item(WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 7, 37, 226, 14, kEditId, 0x0081, L"");
    t.item(WS_TABSTOP | BS_DEFPUSHBUTTON, 129, 57, 50, 14, IDOK, 0x0080, L"OK");
    t.item(WS_TABSTOP | BS_PUSHBUTTON, 183, 57, 50, 14, IDCANCEL, 0x0080, L"Cancel");
    return t;
}

struct InputBoxState {
    const std::string* prompt;
    const std::string* title;
    std::string answer;
};

INT_PTR CALLBACK inputBoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        auto* state = reinterpret_cast<InputBoxState*>(lParam);
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        SetWindowTextA(dialog, state->title->c_str());
        SetDlgItemTextA(dialog, kPromptId, state->prompt->c_str());
        return TRUE;  // focus goes to the first tab stop, the edit field
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            auto* state = reinterpret_cast<InputBoxState*>(GetWindowLongPtrA(dialog, DWLP_USER));
            HWND edit = GetDlgItem(dialog, kEditId);
            std::vector<char> buffer(static_cast<size_t>(GetWindowTextLengthA(edit)) + 1, '\0');
            int length = GetWindowTextA(edit, buffer.data(), static_cast<int>(buffer.size()));
            state->answer.assign(buffer.data(), static_cast<size_t>(length > 0 ? length : 0));
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    default: break;
    }
    return FALSE;
}

}  // namespace

// --- message boxes --------------------------------------------------------

void Win32Platform::messageBox(const std::string& text, const std::string& title) {
    if (batch_) {
        printLine(titled(title, text));
        return;
    }
    ThreadWindowsDisabled modal;
    MessageBoxA(nullptr, text.c_str(), title.c_str(), MB_OK);
}

void Win32Platform::notice(const std::string& text) {
    if (batch_) {
        printLine(titled("Notice:", text));
        return;
    }
    ThreadWindowsDisabled modal;
    MessageBoxA(nullptr, text.c_str(), "Notice:", MB_OK | MB_SYSTEMMODAL);
}

bool Win32Platform::askYesNo(const std::string& text, const std::string& title) {
    if (batch_) {
        bool answer = assumeYes_;
        printLine(titled(title, text) + (answer ? " Yes" : " No"));
        return answer;
    }
    ThreadWindowsDisabled modal;
    return MessageBoxA(nullptr, text.c_str(), title.c_str(), MB_YESNO) == IDYES;
}

std::optional<std::string> Win32Platform::inputBox(const std::string& prompt, const std::string& title) {
    if (batch_) return std::nullopt;
    DialogTemplate dialogTemplate = inputBoxTemplate();
    InputBoxState state{&prompt, &title, {}};
    ThreadWindowsDisabled modal;
    INT_PTR result = DialogBoxIndirectParamA(GetModuleHandleA(nullptr), dialogTemplate.get(), nullptr, inputBoxProc,
                                             reinterpret_cast<LPARAM>(&state));
    if (result != IDOK) return std::nullopt;  // cancelled, or no desktop to show it on
    return state.answer;
}

void Win32Platform::critical(const std::string& text) {
    if (batch_) {
        printLine("CRITICAL ERROR: " + text);
    } else {
        ThreadWindowsDisabled modal;
        MessageBoxA(nullptr, text.c_str(), "CRITICAL ERROR", MB_OK | MB_ICONSTOP);
    }
    throw ProgramExit{2};
}

// --- files and names ------------------------------------------------------

unsigned Win32Platform::dialogFlags(const FileDialogRequest& request) {
    if (request.optionBits != 0) return request.optionBits;
    unsigned flags = OFN_LONGNAMES | OFN_EXPLORER;
    flags |= request.save ? (OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY) : OFN_NODEREFERENCELINKS;
    if (request.mustExist) flags |= OFN_FILEMUSTEXIST;
    if (request.multiSelect) flags |= OFN_ALLOWMULTISELECT;
    return flags;
}

std::string Win32Platform::joinDialogResult(const std::string& buffer) {
    size_t end = buffer.find(std::string(2, '\0'));
    if (end == std::string::npos) end = buffer.find('\0');
    std::string result = buffer.substr(0, end);
    for (char& c : result)
        if (c == '\0') c = ';';
    if (!result.empty() && result.back() == ';') result.pop_back();
    return result;
}

std::string Win32Platform::fileDialog(const FileDialogRequest& request) {
    if (batch_) return "";
    // Two spare NULs: the result stays double-NUL terminated even when full.
    std::vector<char> file(kDialogBufferSize + 2, '\0');
    std::vector<char> startDirectory(MAX_PATH + 1, '\0');
    GetCurrentDirectoryA(static_cast<DWORD>(startDirectory.size()), startDirectory.data());

    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = nullptr;
    dialog.lpstrFilter = "Batch Files (*.*)\0*.*\0";
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = kDialogBufferSize;
    dialog.lpstrInitialDir = startDirectory[0] ? startDirectory.data() : nullptr;
    dialog.lpstrTitle = request.title.c_str();
    dialog.Flags = dialogFlags(request);
    ThreadWindowsDisabled modal;
    if (!GetOpenFileNameA(&dialog)) return "";  // cancelled, or the buffer was too small
    return joinDialogResult(std::string(file.data(), file.size()));
}

std::string Win32Platform::programDirectory() {
    std::string home = environment("KESTREL_HOME");
    if (!home.empty()) return withoutTrailingSeparators(nativePath(home));
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        DWORD length = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return "";
        if (length < buffer.size()) {
            std::string exe(buffer.data(), length);
            size_t slash = exe.find_last_of("\\/");
            return slash == std::string::npos ? std::string() : withoutTrailingSeparators(exe.substr(0, slash + 1));
        }
        buffer.resize(buffer.size() * 2);  // truncated: try a longer buffer
    }
}

std::string Win32Platform::logDirectory() {
    std::vector<std::string> candidates;
    std::string configured = environment("KESTREL_LOG_DIR");
    if (!configured.empty()) {
        candidates.push_back(withoutTrailingSeparators(nativePath(configured)));
    } else {
        std::string home = programDirectory();
        if (!home.empty()) candidates.push_back(joinPath(home, "log"));
        std::string local = environment("LOCALAPPDATA");
        if (!local.empty()) candidates.push_back(joinPath(nativePath(local), "Kestrel\\log"));
    }
    for (const std::string& dir : candidates) {
        createDirectories(dir);
        if (isWritableDirectory(dir)) return dir;
    }
    return "";
}

std::string Win32Platform::resolveExisting(const std::string& name) {
    if (name.empty()) return "";
    std::string native = nativePath(name);
    return GetFileAttributesA(native.c_str()) == INVALID_FILE_ATTRIBUTES ? std::string() : native;
}

std::string Win32Platform::nativePath(const std::string& name) {
    std::string out = name;
    for (char& c : out)
        if (c == '/') c = '\\';
    return out;
}

bool Win32Platform::consoleIsTerminal() { return interactive() && _isatty(_fileno(stdout)) != 0; }

bool Win32Platform::isAbsolute(const std::string& name) {
    return name.find(':') != std::string::npos || (!name.empty() && isSeparator(name[0]));
}

std::string Win32Platform::shortName(const std::string& path) {
    if (path.empty()) return "";
    std::string native = nativePath(path);
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        DWORD length = GetShortPathNameA(native.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return "";  // no such path
        if (length < buffer.size()) {
            CharLowerBuffA(buffer.data(), length);
            return std::string(buffer.data(), length);
        }
        buffer.resize(length);  // the call reported the size it needs
    }
}

// --- shell ----------------------------------------------------------------

std::string Win32Platform::quoteArgument(const std::string& argument) {
    // Backslashes are literal except in front of a quote, where each must be
    // doubled; the closing quote counts as such a quote.
    std::string out = "\"";
    size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"') {
            out.append(backslashes * 2 + 1, '\\');
        } else {
            out.append(backslashes, '\\');
        }
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, '\\');
    out += '"';
    return out;
}

std::string Win32Platform::shellOpen(const std::string& target) {
    if (batch_) return "not started in batch mode: " + target;
    // Some shell handlers need COM on the calling thread. It stays initialised
    // for the thread's life: the handler may finish after ShellExecuteA returns.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    HINSTANCE started = ShellExecuteA(nullptr, "open", target.c_str(), nullptr, nullptr, SW_FORCEMINIMIZE);
    auto code = reinterpret_cast<INT_PTR>(started);
    if (code > 32) return "";
    return errorNote("could not open", static_cast<DWORD>(code), target);
}

std::string Win32Platform::openTextEditor(const std::string& file) {
    if (batch_) return "not started in batch mode: " + file;
    std::vector<char> systemDir(MAX_PATH + 1, '\0');
    UINT length = GetSystemDirectoryA(systemDir.data(), static_cast<UINT>(systemDir.size()));
    if (length == 0 || length >= systemDir.size())
        return errorNote("could not start notepad.exe", GetLastError(), file);
    std::string program = joinPath(std::string(systemDir.data(), length), "notepad.exe");

    std::string commandLine = "notepad.exe " + quoteArgument(nativePath(file));
    std::vector<char> mutableLine(commandLine.begin(), commandLine.end());
    mutableLine.push_back('\0');  // CreateProcessA may write into the line

    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWMINIMIZED;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(program.c_str(), mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return errorNote("could not start notepad.exe", GetLastError(), file);
    // The editor runs on its own; nobody waits for it.
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return "";
}

}  // namespace kestrel

namespace kestrel {

#ifdef KESTREL_WIN32_COM
wren::WrenObject* Win32Platform::createCodecObject(const char* classId) {
    const bool letters = std::strcmp(classId, wren::kHandleLettersClsid) == 0;
    if (!letters && std::strcmp(classId, wren::kHandleWordsClsid) != 0) return nullptr;
    // COM stays initialised for the thread's life: the objects live as long
    // as the program's shared objects.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    void* object = nullptr;
    const HRESULT result =
        CoCreateInstance(letters ? CLSID_HandleLetters : CLSID_HandleWords, nullptr, CLSCTX_INPROC_SERVER,
                         letters ? IID__HandleLetters : IID__HandleWords, &object);
    const char* progId = letters ? "Wren.HandleLetters" : "Wren.HandleWords";
    if (result == REGDB_E_CLASSNOTREG)
        critical(std::string("The text codec library is not registered: class ") + progId + " " + classId +
                 " is unknown.\nRegister it once with: regsvr32 wren.dll");
    if (FAILED(result)) {
        char code[16];
        std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(result));
        critical(std::string("The text codec library cannot create class ") + progId + " (" + code +
                 ").\nRegister it again with: regsvr32 wren.dll");
    }
    try {
        if (letters) return new WrenComLetters(static_cast<_HandleLetters*>(object));
        return new WrenComWords(static_cast<_HandleWords*>(object));
    } catch (...) {
        static_cast<IUnknown*>(object)->Release();
        throw;
    }
}
#endif

namespace {

class Win32FileLock : public FileLock {
public:
    explicit Win32FileLock(HANDLE file) : file_(file) {}
    ~Win32FileLock() override { CloseHandle(file_); }

private:
    HANDLE file_;
};

}  // namespace

std::unique_ptr<FileLock> Win32Platform::waitForLock(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    OVERLAPPED whole{};
    if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole)) {
        CloseHandle(file);
        return nullptr;
    }
    return std::make_unique<Win32FileLock>(file);
}

}  // namespace kestrel
