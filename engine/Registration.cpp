#include "engine/Registration.h"

#include <algorithm>
#include <filesystem>

#include "engine/Shared.h"
#include "platform/Platform.h"
#include "services/FileHandle.h"
#include "services/RegistryStore.h"
#include "text/KestrelError.h"
#include "text/TextKit.h"

namespace kestrel {

namespace {

constexpr char Q = '"';

bool plainWordChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
           c == '+' || c == '.';
}

// A codeset or description lands in key names, verb names and command lines:
// letters, digits and "_-+." only, not starting with "." or "-".
void checkPlainWord(const std::string& word, const char* what) {
    const bool ok = !word.empty() && word.size() <= 64 && word[0] != '.' && word[0] != '-' &&
                    std::all_of(word.begin(), word.end(), plainWordChar);
    if (!ok)
        throw FormatError(std::string(what) + " '" + word +
                          "' refused: use letters, digits and _-+. only (nothing was registered)");
}

const char* kindName(int kind) {
    switch (kind) {
    case 1: return "source";
    case 2: return "script";
    case 3: return "header";
    case 4: return "buffer";
    default: return "";
    }
}

FileTypeSet::Kind typeKind(int kind) {
    switch (kind) {
    case 1: return FileTypeSet::Kind::source;
    case 2: return FileTypeSet::Kind::script;
    case 3: return FileTypeSet::Kind::header;
    default: return FileTypeSet::Kind::buffer;
    }
}

}  // namespace

Registration::Registration(Shared& shared) : shared_(shared) {}

void Registration::reset() {
    open_ = false;
    refused_ = false;
    codeset_.clear();
    description_.clear();
    reuse_ = false;
    extensions_.clear();
}

void Registration::begin(std::string codeset, std::string description, bool reuseClasses) {
    reset();
    open_ = true;
    // Until the names pass, the registration is open but writes nothing, so
    // that its regext lines do not end up in another one.
    refused_ = true;
    if (codeset.empty()) codeset = "kestrel";
    if (description.empty()) description = codeset;
    checkPlainWord(codeset, "codeset");
    checkPlainWord(description, "description");
    codeset_ = std::move(codeset);
    description_ = std::move(description);
    reuse_ = reuseClasses;
    refused_ = false;
}

void Registration::addExtension(const std::string& extension, const std::string& kindWord) {
    if (!open_) throw FormatError("regext without a register line before it");
    if (refused_) return;
    const bool ok =
        extension.size() >= 2 && extension.size() <= 17 && extension[0] == '.' &&
        std::all_of(extension.begin() + 1, extension.end(), [](char c) { return plainWordChar(c) && c != '.'; });
    if (!ok) throw FormatError("extension '" + extension + "' refused: an extension is a dot and a word (\".ksc\")");
    const std::string kind = textkit::lower(kindWord);
    Kind value = kind == "source"   ? kSource
                 : kind == "script" ? kScript
                 : kind == "header" ? kHeader
                 : kind == "buffer" ? kBuffer
                                    : kNone;
    if (value == kNone)
        throw FormatError("unknown extension kind '" + kindWord + "' (source, script, header or buffer)");
    extensions_.push_back(Extension{extension, value});
}

Registration::Commands Registration::commands(const std::string& codeset) const {
    Platform& platform = shared_.platform;
    Commands c;
    c.program = platform.executablePath();
    if (c.program.empty()) c.program = platform.programDirectory() + platform.separator() + "kestrel";
    std::filesystem::path exe(c.program);
    std::string plover = (exe.parent_path() / ("plover" + exe.extension().string())).string();
    for (const std::string* path : {&c.program, &plover})
        if (path->find_first_of("\"%") != std::string::npos ||
            std::any_of(path->begin(), path->end(), [](char ch) { return static_cast<unsigned char>(ch) < 0x20; }))
            throw FormatError("the program's path '" + *path +
                              "' holds a quote, % or a control character: no command line can carry it");
    const std::string E = Q + c.program + Q;
    const std::string file = std::string(1, Q) + "%1" + Q;
    c.decode = E + " #boot " + codeset + ";#decode " + file;
    c.encode = E + " #boot " + codeset + ";#encode " + file;
    c.rawdecode = E + " #boot " + codeset + ";#rawdecode " + file;
    c.editor = platform.textEditorProgram() + " " + file;
    c.bufferWriter = Q + plover + Q + " " + file;
    return c;
}

void Registration::key(const std::string& path, const std::string& value) {
    FileHandle& files = *shared_.gFiles;
    if (!files.CreateNewKey(path, value)) throw FormatError("registry: " + files.registry().lastError());
}

void Registration::writeExtension(const Extension& extension, const Commands& c) {
    FileHandle& files = *shared_.gFiles;
    const std::string& D = description_;
    const std::string& X = extension.name;
    const std::string root = "HKCR\\";
    // The "?" form: verbs go into the class the extension already has, whose
    // name and open verb stay as they are.
    std::string existing;
    if (reuse_ && extension.kind != kBuffer) {
        existing = files.GetKeyValue(root + X);
        if (existing.find('\\') != std::string::npos || std::any_of(existing.begin(), existing.end(), [](char ch) {
                return static_cast<unsigned char>(ch) < 0x20;
            }))
            throw FormatError("the class '" + existing + "' of " + X + " is no plain key name: nothing added to it");
    }
    std::string record = kindName(extension.kind);
    if (!existing.empty()) {
        const std::string C = root + existing;
        if (extension.kind == kSource) {
            key(C + "\\shell\\decompile" + codeset_, "Decompile");
            key(C + "\\shell\\decompile" + codeset_ + "\\command", c.rawdecode);
        } else if (extension.kind == kScript) {
            key(C + "\\shell\\compile", "Compile Script");
            key(C + "\\shell\\compile\\command", c.encode);
        }
        record += ":" + existing;
    } else {
        switch (extension.kind) {
        case kSource: {
            const std::string C = root + D + ".source";
            key(C, D + " source");
            key(C + "\\shell\\decompile" + codeset_, "Decompile");
            key(C + "\\shell\\decompile" + codeset_ + "\\command", c.rawdecode);
            key(root + X, D + ".source");
            break;
        }
        case kScript: {
            const std::string C = root + D + ".script";
            key(C, D + " script");
            key(C + "\\shell\\open\\command", c.editor);
            key(C + "\\shell\\compile", "Compile Script");
            key(C + "\\shell\\compile\\command", c.encode);
            key(root + X, D + ".script");
            break;
        }
        case kHeader: {
            const std::string C = root + D + ".header";
            key(C, D + " header");
            key(C + "\\shell\\open\\command", c.editor);
            key(root + X, D + ".header");
            break;
        }
        case kBuffer: {
            const std::string C = root + "Kestrel.buffer";
            key(C, "Kestrel Buffer");
            key(C + "\\shell\\decompile." + D, "Decompile " + D);
            key(C + "\\shell\\decompile." + D + "\\command", c.decode);
            key(C + "\\shell\\open\\command", c.bufferWriter);
            key(root + X, "Kestrel.buffer");
            break;
        }
        case kNone: break;
        }
    }
    const std::string recordKey = std::string(kRecordRoot) + "\\" + codeset_;
    key(recordKey, D);
    if (!files.SetKeyValue(recordKey, X, record, 1)) throw FormatError("registry: " + files.registry().lastError());
    files.echo("REGISTERED " + X + " as " + D);
}

void Registration::write() {
    if (!open_) return;
    struct Closer {
        Registration& self;
        ~Closer() { self.reset(); }
    } closer{*this};
    if (refused_ || extensions_.empty()) return;
    const Commands c = commands(codeset_);
    std::string failures;
    for (const auto& extension : extensions_) {
        try {
            writeExtension(extension, c);
        } catch (const KestrelError& error) {
            failures += (failures.empty() ? "" : "; ") + extension.name + ": " + error.what();
        }
    }
    publish(codeset_);
    if (!failures.empty()) throw FormatError("registration of " + codeset_ + " incomplete: " + failures);
}

void Registration::publish(const std::string& codeset) {
    FileHandle& files = *shared_.gFiles;
    for (const auto& note : shared_.platform.publishFileTypes(fileTypes(codeset))) files.echo(note);
}

std::vector<std::string> Registration::commandWords(const std::string& command) {
    std::vector<std::string> words;
    std::string word;
    bool quoted = false;
    bool any = false;
    for (char c : command) {
        if (c == Q) {
            quoted = !quoted;
            any = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (any) words.push_back(word);
            word.clear();
            any = false;
        } else {
            word += c;
            any = true;
        }
    }
    if (any) words.push_back(word);
    return words;
}

std::vector<std::string> Registration::desktopArguments(const std::string& command) {
    std::vector<std::string> words = commandWords(command);
    if (words.empty()) return words;
    std::vector<std::string> argv{words[0]};
    std::string codeLine;
    bool file = false;
    for (std::size_t i = 1; i < words.size(); ++i) {
        if (words[i] == "%1") {
            file = true;
            continue;
        }
        if (!codeLine.empty()) codeLine += ' ';
        codeLine += words[i];
    }
    if (codeLine.empty()) {
        if (file) argv.push_back("%f");
        return argv;
    }
    if (file) {
        argv.push_back("--file");
        argv.push_back("%f");
    }
    argv.push_back(codeLine);
    return argv;
}

FileTypeSet Registration::fileTypes(const std::string& codeset) {
    FileHandle& files = *shared_.gFiles;
    RegistryStore& store = files.registry();
    FileTypeSet set;
    set.codeset = codeset;
    const std::string recordKey = std::string(kRecordRoot) + "\\" + codeset;
    const auto extensions = store.EnumRegValues(recordKey);
    if (!extensions) return set;
    const std::string description = store.GetKeyValue(recordKey, "").value_or(codeset);
    const std::string program = std::string(1, Q) + commands(codeset).program + Q;
    const std::string boots = "#boot " + codeset + ";";
    for (const auto& extension : *extensions) {
        if (extension.empty()) continue;
        const std::string record = store.GetKeyValue(recordKey, extension).value_or("");
        const std::string kindText = record.substr(0, record.find(':'));
        int kind = 0;
        for (int k = 1; k <= 4; ++k)
            if (kindText == kindName(k)) kind = k;
        if (kind == 0) continue;
        const std::string className = store.GetKeyValue("HKCR\\" + extension, "").value_or("");
        if (className.empty()) continue;
        const FileTypeSet::Kind typeKindValue = typeKind(kind);
        auto type = std::find_if(set.types.begin(), set.types.end(),
                                 [&](const FileTypeSet::Type& t) { return t.kind == typeKindValue; });
        if (type == set.types.end()) {
            set.types.push_back(FileTypeSet::Type{});
            type = set.types.end() - 1;
            type->kind = typeKindValue;
            type->description = kind == 4 ? std::string("Kestrel buffer file") : description + " " + kindName(kind);
            // Verbs of this program for this codeset only: a class may hold
            // foreign verbs, and the buffer class those of other codesets.
            const std::string shell = "HKCR\\" + className + "\\shell";
            for (const auto& verb : store.EnumRegKeys(shell).value_or(std::vector<std::string>{})) {
                const std::string command = store.GetKeyValue(shell + "\\" + verb + "\\command", "").value_or("");
                if (textkit::equalsIgnoreCase(verb, "open")) {
                    if (kind == 4 && !command.empty()) type->opener = desktopArguments(command);
                    continue;
                }
                if (command.rfind(program, 0) != 0 || command.find(boots) == std::string::npos) continue;
                std::string caption = store.GetKeyValue(shell + "\\" + verb, "").value_or(verb);
                if (textkit::lower(caption).find(textkit::lower(description)) == std::string::npos)
                    caption += " (" + description + ")";
                type->verbs.push_back(FileTypeSet::Verb{verb, caption, desktopArguments(command)});
            }
        }
        type->globs.push_back("*" + textkit::lower(extension));
    }
    return set;
}

bool Registration::unregister(const std::string& codeset) {
    checkPlainWord(codeset, "codeset");
    FileHandle& files = *shared_.gFiles;
    RegistryStore& store = files.registry();
    const std::string recordKey = std::string(kRecordRoot) + "\\" + codeset;
    const auto extensions = store.EnumRegValues(recordKey);
    if (!extensions) return false;
    const std::string D = store.GetKeyValue(recordKey, "").value_or(codeset);
    const std::string root = "HKCR\\";
    auto pointsTo = [&](const std::string& extension, const std::string& className) {
        return textkit::equalsIgnoreCase(store.GetKeyValue(root + extension, "").value_or(""), className);
    };
    for (const auto& extension : *extensions) {
        if (extension.empty()) continue;
        const std::string record = store.GetKeyValue(recordKey, extension).value_or("");
        const std::size_t colon = record.find(':');
        const std::string kind = record.substr(0, colon);
        if (colon != std::string::npos) {
            const std::string C = root + record.substr(colon + 1);
            if (kind == "source") store.DeleteRegKey(C + "\\shell\\decompile" + codeset);
            if (kind == "script") store.DeleteRegKey(C + "\\shell\\compile");
        } else if (kind == "buffer") {
            store.DeleteRegKey(root + "Kestrel.buffer\\shell\\decompile." + D);
            if (pointsTo(extension, "Kestrel.buffer")) store.DeleteRegKey(root + extension);
        } else if (!kind.empty()) {
            store.DeleteRegKey(root + D + "." + kind);
            if (pointsTo(extension, D + "." + kind)) store.DeleteRegKey(root + extension);
        }
    }
    // The shared buffer class goes with the last codeset that used it.
    auto verbs = store.EnumRegKeys(root + "Kestrel.buffer\\shell");
    if (verbs &&
        std::none_of(verbs->begin(), verbs->end(), [](const std::string& v) { return v.rfind("decompile.", 0) == 0; }))
        store.DeleteRegKey(root + "Kestrel.buffer");
    store.DeleteRegKey(recordKey);
    for (const auto& note : shared_.platform.withdrawFileTypes(codeset)) files.echo(note);
    return true;
}

}  // namespace kestrel
