#include "services/FileHandle.h"

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "platform/Platform.h"
#include "services/ConsoleSink.h"
#include "services/DirectorySearch.h"
#include "services/RegistryStore.h"
#include "text/KestrelError.h"
#include "text/Numeric.h"
#include "text/TextKit.h"

namespace kestrel {

namespace fs = std::filesystem;

namespace {

const std::string kCrLf = "\r\n";
const std::string kInvalidPath = "Invalid path or filename";
constexpr int kDefaultBlock = 1000;
// Log text collected before it is written to the log file.
constexpr std::size_t kLogChunk = 64 * 1024;

using DataKind = FileHandle::DataKind;

struct DataKindName {
    const char* name;
    DataKind kind;
};

constexpr DataKindName kDataKinds[] = {
    {"line", DataKind::line},     {"value", DataKind::value},   {"byte", DataKind::byte},
    {"char", DataKind::byte},     {"int", DataKind::word},      {"integer", DataKind::word},
    {"word", DataKind::word},     {"long", DataKind::dword},    {"double", DataKind::dword},
    {"string", DataKind::string}, {"block", DataKind::block},   {"megablock", DataKind::megablock},
};

enum class NamePart { fullpath, name, directory, extension, none };

struct NamePartName {
    const char* name;
    NamePart part;
};

constexpr NamePartName kNameParts[] = {
    {"fullpath", NamePart::fullpath}, {"fullname", NamePart::fullpath}, {"filename", NamePart::name},
    {"file", NamePart::name},         {"name", NamePart::name},         {"path", NamePart::directory},
    {"dir", NamePart::directory},     {"directory", NamePart::directory}, {"ext", NamePart::extension},
    {"extension", NamePart::extension},
};

NamePart parsePart(const std::string& kind) {
    std::string word = textkit::lower(kind);
    for (const auto& entry : kNameParts)
        if (word == entry.name) return entry.part;
    return NamePart::none;
}

std::string valueText(const FileValue& value) {
    if (auto text = std::get_if<std::string>(&value)) return *text;
    if (auto number = std::get_if<int32_t>(&value)) return numeric::decimal(*number);
    return {};
}

double valueNumber(const FileValue& value) {
    if (auto number = std::get_if<int32_t>(&value)) return *number;
    if (auto text = std::get_if<std::string>(&value)) return numeric::strict(*text);
    return 0;
}

void putLittleEndian(char* out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

uint32_t fromLittleEndian(const char* bytes, int count) {
    uint32_t value = 0;
    for (int i = count; i-- > 0;) value = (value << 8) | static_cast<uint8_t>(bytes[i]);
    return value;
}

bool isBinaryNumber(DataKind kind) {
    return kind == DataKind::byte || kind == DataKind::word || kind == DataKind::dword;
}

int32_t numberOf(const FileValue& value) {
    if (auto number = std::get_if<int32_t>(&value)) return *number;
    if (auto text = std::get_if<std::string>(&value)) return numeric::toInt32(numeric::read(*text));
    return 0;
}

std::string timeText(const char* format, const std::tm& when) {
    char buffer[64];
    std::size_t length = std::strftime(buffer, sizeof buffer, format, &when);
    return std::string(buffer, length);
}

bool startsWithOld(const std::string& mode) {
    return mode.size() >= 4 && textkit::equalsIgnoreCase(std::string_view(mode).substr(0, 4), "old:");
}

} // namespace

namespace {

// A file buffer whose buffered input readLine searches for the line end
// directly, instead of taking the bytes one call at a time.
struct LineFileBuf : std::filebuf {
    std::string_view buffered() const { return {gptr(), static_cast<std::size_t>(egptr() - gptr())}; }
    void skip(std::size_t count) { gbump(static_cast<int>(count)); }
};

} // namespace

// One open file of the stack. All modes use the file buffer in binary form:
// text lines are cut by hand at CR LF, LF or a lone CR, so scripts read alike.
struct FileHandle::OpenEntry {
    std::string name;
    LineFileBuf file;
    bool open = false;
    bool script = false;   // opened for line input
    bool writing = false;  // direction of the last transfer
    int lines = 0;
    // Position of the next transfer. Every move goes through this struct, so
    // asking for the position (once per record of a buffer file) and seeking
    // to where the file already is need no system call.
    int64_t at = 0;

    void requireOpen() const {
        if (!open) throw OutOfRangeError("file " + name + " is not open");
    }
    // A read after a write (or the reverse) must pass a real seek first.
    void turnTo(bool write) {
        if (writing != write) {
            file.pubseekpos(at);
            writing = write;
        }
    }
    void seek(int64_t offset) {
        if (offset == at) return;
        const auto reached = file.pubseekpos(offset);
        if (reached >= 0) at = reached;
    }
    int peek() {
        requireOpen();
        turnTo(false);
        return file.sgetc();
    }
    // sbumpc that keeps the position; call after peek.
    int bump() {
        const int c = file.sbumpc();
        if (c != std::char_traits<char>::eof()) ++at;
        return c;
    }
    void readInto(char* out, std::size_t count) {
        requireOpen();
        turnTo(false);
        const auto got = file.sgetn(out, static_cast<std::streamsize>(count));
        if (got > 0) at += got;
        if (got < static_cast<std::streamsize>(count)) throw FormatError("unexpected end of file");
    }
    std::string readExact(std::size_t count) {
        // Large counts come from callers, not files: check before allocating.
        if (count > 65536) {
            int64_t remaining = int64_t{length()} - position();
            if (remaining < 0 || static_cast<uint64_t>(remaining) < count) throw FormatError("unexpected end of file");
        }
        std::string data = readUpTo(count);
        if (data.size() < count) throw FormatError("unexpected end of file");
        return data;
    }
    std::string readUpTo(std::size_t count) {
        requireOpen();
        turnTo(false);
        std::string data(count, '\0');
        auto got = file.sgetn(data.data(), static_cast<std::streamsize>(count));
        if (got > 0) at += got;
        data.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
        return data;
    }
    std::string readLine() {
        std::string line;
        readLine(line);
        return line;
    }
    // Reads into `line`, whose storage is reused. CR LF, LF and a lone CR
    // each end a line.
    void readLine(std::string& line) {
        if (peek() == std::char_traits<char>::eof()) throw FormatError("unexpected end of file");
        line.clear();
        for (;;) {
            const std::string_view chunk = file.buffered();
            if (chunk.empty()) {
                const int c = file.sgetc();  // refills the buffer
                if (c == std::char_traits<char>::eof()) return;
                if (file.buffered().empty()) {  // no buffer to search: take the byte alone
                    bump();
                    if (c == '\n') return;
                    if (c == '\r') return skipLineFeed();
                    line += static_cast<char>(c);
                }
                continue;
            }
            // The LF first: most lines end there, and a CR is then looked for
            // in the line alone.
            std::size_t end = chunk.find('\n');
            const std::size_t cr = chunk.substr(0, end).find('\r');
            if (cr != std::string_view::npos) end = cr;
            const std::size_t taken = end == std::string_view::npos ? chunk.size() : end + 1;
            line.append(chunk.data(), end == std::string_view::npos ? chunk.size() : end);
            file.skip(taken);
            at += static_cast<int64_t>(taken);
            if (cr != std::string_view::npos) return skipLineFeed();
            if (end != std::string_view::npos) return;
        }
    }
    // After a CR: the LF of a CR LF pair belongs to the same line end, even
    // when it lies in the next buffer load.
    void skipLineFeed() {
        if (file.sgetc() == '\n') bump();
    }
    void write(const char* data, std::size_t size) {
        requireOpen();
        turnTo(true);
        const auto put = file.sputn(data, static_cast<std::streamsize>(size));
        if (put > 0) at += put;
        if (put != static_cast<std::streamsize>(size)) throw FormatError("cannot write to " + name);
    }
    void write(std::string_view data) { write(data.data(), data.size()); }
    int32_t position() {
        requireOpen();
        return static_cast<int32_t>(at);
    }
    int32_t length() {
        requireOpen();
        auto end = file.pubseekoff(0, std::ios::end);
        file.pubseekpos(at);
        return end < 0 ? 0 : static_cast<int32_t>(end);
    }
};

// --- construction and the log ------------------------------------------

FileHandle::FileHandle(Platform& platform, std::string programName)
    : platform_(platform), programName_(std::move(programName)) {
    std::time_t now = std::time(nullptr);
    std::tm when{};
    if (const std::tm* local = std::localtime(&now)) when = *local;
    try {
        std::string folder = platform_.logDirectory();
        if (!folder.empty()) {
            std::string path = joinPath(folder, "[" + timeText("%Y%m%d-%H%M", when) + "]" + programName_ + ".log");
            log_.open(path, std::ios::out | std::ios::trunc | std::ios::binary);
            if (log_.is_open()) logPath_ = path;
        }
    } catch (const std::exception&) {
        // No log file: the program still runs.
    }
    echo("Logging started" + timeText("%Y-%m-%d %H:%M:%S", when) + kCrLf);
}

FileHandle::~FileHandle() {
    stack_.clear();
    closeLog();
}

void FileHandle::echo(const std::string& text, bool underline, int indent) {
    if (text.empty()) return;
    if (console_) {
        try {
            if (console_->textLength() > 10000) console_->keepLast(8000);
            if (console_->visible()) {
                console_->add(text);
                if (underline) console_->add(std::string(text.size() - 1, '-'));
            }
        } catch (const std::exception&) {
        }
    }
    logLine(text, underline, indent);
}

void FileHandle::diagnostic(const std::string& text) { diagnostic(text, {}); }

void FileHandle::diagnostic(const std::string& text, const std::vector<std::string>& trail) {
    if (text.empty()) return;
    if (console_) {
        try {
            console_->diagnostic(text);
            for (const std::string& line : trail) console_->diagnostic(line);
        } catch (const std::exception&) {
        }
    }
    logLine(text, false, 0);
}

void FileHandle::logLine(const std::string& text, bool underline, int indent) {
    if (!log_.is_open()) return;
    // Files open besides the log; the file being opened is pushed only after
    // its "#PROCESS" line and a closed one is popped before its summary.
    // Lines collect in logLine_ and reach the file in large writes.
    std::size_t bars = stack_.size();
    logLine_.append(bars, '|');
    if (indent > 0) {
        logLine_.append(static_cast<std::size_t>(indent), ' ');
        logLine_ += "- ";
    }
    logLine_ += text;
    logLine_ += kCrLf;
    if (underline) {
        logLine_.append(bars, '|');
        logLine_ += '/';
        logLine_.append(text.size() - 1, '-');
        logLine_ += kCrLf;
    }
    if (logLine_.size() >= kLogChunk) flushLog();
}

void FileHandle::flushLog() {
    if (logLine_.empty()) return;
    log_.write(logLine_.data(), static_cast<std::streamsize>(logLine_.size()));
    logLine_.clear();
}

void FileHandle::cls() {
    if (!console_) return;
    try {
        console_->cls();
    } catch (const std::exception&) {
    }
}

void FileHandle::syncLog() {
    if (!log_.is_open()) return;
    flushLog();
    log_.flush();
}

void FileHandle::closeLog() {
    if (log_.is_open()) {
        flushLog();
        log_.flush();
        log_.close();
    }
}

void FileHandle::critical(const std::string& text) {
    closeLog();
    platform_.critical(text);
    throw ProgramExit{2};  // a platform that returns from its box still ends here
}

// --- the file stack ----------------------------------------------------

FileHandle::OpenEntry& FileHandle::top() {
    if (stack_.empty()) throw OutOfRangeError("no file is open");
    return *stack_.back();
}

const FileHandle::OpenEntry* FileHandle::topOrNull() const {
    return stack_.empty() ? nullptr : stack_.back().get();
}

std::string FileHandle::OpenFile(std::string& name, const std::string& mode, bool confirm) {
    if (fileno_ >= kMaxFiles) {
        echo("Too many open files, not opened: " + name);
        return "";
    }
    std::string lowered = textkit::lower(mode);
    if (!name.empty()) {
        if (lowered == "output" || lowered == "write" || lowered == "old:output" || lowered == "old:write") {
            if (exist(name, true, confirm)) return "";
        } else if (!exist(name, false, false)) {
            platform_.messageBox("File Not Found or user cancel", programName_);
            return "";
        }
    } else {
        name = getfile(mode);
        if (name.empty()) return "";
    }
    std::string shownMode = mode;
    if (startsWithOld(mode)) {
        shownMode = mode.substr(4);
        lowered = lowered.substr(4);
    }

    ++fileno_;
    echo("#PROCESS: " + name + " F:" + numeric::decimal(fileno_) + " for " + shownMode, true);

    auto entry = std::make_unique<OpenEntry>();
    entry->name = name;
    const auto binary = std::ios::binary;
    bool known = true;
    std::string existing = platform_.resolveExisting(name);
    std::string path = existing.empty() ? platform_.nativePath(name) : existing;
    if (lowered == "input") {
        entry->script = true;
        entry->open = !existing.empty() && entry->file.open(existing, std::ios::in | binary);
    } else if (lowered == "output") {
        entry->open = entry->file.open(path, std::ios::out | std::ios::trunc | binary);
    } else if (lowered == "read" || lowered == "write") {
        if (existing.empty() && lowered == "write") {
            std::filebuf create;
            if (create.open(path, std::ios::out | binary)) create.close();
        }
        entry->open = entry->file.open(path, std::ios::in | std::ios::out | binary);
        // A read-only image can still be read.
        if (!entry->open && lowered == "read") entry->open = entry->file.open(path, std::ios::in | binary);
    } else {
        known = false;
    }

    if (known && !entry->open) {
        --fileno_;
        return "";
    }
    // An unknown mode keeps its number (the caller still closes it) but opens nothing.
    stack_.push_back(std::move(entry));
    return known ? name : "False";
}

void FileHandle::closefile() {
    if (stack_.empty()) return;
    int lines = stack_.back()->lines;
    stack_.pop_back();
    echo("|");
    echo("\\- Processed " + numeric::decimal(lines) + " Lines");
    echo(" ");
    fileno_ = static_cast<int>(stack_.size()) + 1;
}

int FileHandle::lineno() const {
    const OpenEntry* file = topOrNull();
    return file ? file->lines : logLines_;
}

void FileHandle::setLineno(int value) {
    if (stack_.empty())
        logLines_ = value;
    else
        stack_.back()->lines = value;
}

std::string FileHandle::currentFileName() const {
    const OpenEntry* file = topOrNull();
    return file ? file->name : std::string();
}

std::vector<std::string> FileHandle::includers() const {
    std::vector<std::string> places;
    if (stack_.empty() || !stack_.back()->script) return places;
    // A script's line counter stops at the line that included the next one.
    for (auto file = stack_.rbegin() + 1; file != stack_.rend() && (*file)->script; ++file)
        places.push_back((*file)->name + ":" + numeric::decimal((*file)->lines));
    return places;
}

// --- typed reads and writes --------------------------------------------

// One field as sequential input reads it: a quoted text up to its closing
// quote, otherwise the text up to the next comma or line end, trimmed.
std::string FileHandle::readValue(OpenEntry& file) {
    constexpr int eof = std::char_traits<char>::eof();
    int c = file.peek();
    while (c == ' ' || c == '\t') {
        file.bump();
        c = file.file.sgetc();
    }
    if (c == eof) throw FormatError("unexpected end of file");
    std::string value;
    if (c == '"') {
        file.bump();
        for (c = file.bump(); c != eof && c != '"' && c != '\n'; c = file.bump())
            value += static_cast<char>(c);
        if (c == '"') c = file.bump();
        while (c != eof && c != ',' && c != '\n') c = file.bump();
        return value;
    }
    for (c = file.bump(); c != eof && c != ',' && c != '\n'; c = file.bump())
        value += static_cast<char>(c);
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t' || value.back() == '\r'))
        value.pop_back();
    return value;
}

FileHandle::DataKind FileHandle::dataKind(std::string_view kind, std::string& argument) {
    const std::size_t colon = kind.find(':');
    const std::string_view word = kind.substr(0, colon);
    if (colon == std::string_view::npos) argument.clear();
    else argument.assign(kind.substr(colon + 1));
    for (const auto& entry : kDataKinds)
        if (textkit::equalsIgnoreCase(word, entry.name)) return entry.kind;
    return DataKind::other;
}

FileValue FileHandle::getdata(const std::string& kind) {
    std::string argument;
    const DataKind which = dataKind(kind, argument);
    return getdata(which, argument);
}

FileValue FileHandle::getdata(DataKind which, const std::string& argument) {
    if (stack_.empty()) {
        ++logLines_;
        if (which == DataKind::megablock) return std::string();
        if (which == DataKind::other) return std::monostate{};
        throw OutOfRangeError("no file is open for reading");
    }
    OpenEntry& file = top();
    ++file.lines;
    switch (which) {
    case DataKind::line:
        return file.readLine();
    case DataKind::value:
        return readValue(file);
    case DataKind::byte:
    case DataKind::word:
    case DataKind::dword:
        return readNumber(file, which);
    case DataKind::string:
        return readString(file);
    case DataKind::block: {
        double count = numeric::read(argument);
        if (count < 0) throw OutOfRangeError("block count " + argument);
        if (count == 0) {
            // Chunked reading: the last chunk of a file may be short.
            std::string data = file.readUpTo(kDefaultBlock);
            if (data.empty()) throw FormatError("unexpected end of file");
            return data;
        }
        return file.readExact(static_cast<std::size_t>(numeric::toInt32(count)));
    }
    case DataKind::megablock:
        return std::string();
    case DataKind::other:
        break;
    }
    return std::monostate{};
}

// A byte, word or dword field (the line counter is the caller's).
int32_t FileHandle::readNumber(OpenEntry& file, DataKind kind) {
    char bytes[4];
    switch (kind) {
    case DataKind::byte:
        file.readInto(bytes, 1);
        return static_cast<uint8_t>(bytes[0]);
    case DataKind::word:
        file.readInto(bytes, 2);
        return static_cast<int16_t>(fromLittleEndian(bytes, 2));
    default:
        file.readInto(bytes, 4);
        return static_cast<int32_t>(fromLittleEndian(bytes, 4));
    }
}

// A string field: type tag, 16-bit length, the bytes.
std::string FileHandle::readString(OpenEntry& file) {
    char head[4];
    file.readInto(head, 2);  // type tag
    file.readInto(head + 2, 2);
    std::string text(fromLittleEndian(head + 2, 2), '\0');
    file.readInto(text.data(), text.size());
    return text;
}

void FileHandle::putdata(const std::string& kind, const FileValue& value) {
    std::string argument;
    putdata(dataKind(kind, argument), value);
}

void FileHandle::putdata(DataKind which, const FileValue& value) {
    if (which == DataKind::value || which == DataKind::megablock || which == DataKind::other) return;
    if (stack_.empty()) {
        // Printing to file 1 writes into the log itself.
        if (which == DataKind::line && log_.is_open()) {
            flushLog();
            log_ << valueText(value) << kCrLf;
        }
        else if (which != DataKind::line) throw OutOfRangeError("no file is open for writing");
        return;
    }
    OpenEntry& file = top();
    switch (which) {
    case DataKind::line: {
        std::string line = valueText(value);
        line += kCrLf;
        file.write(line);
        break;
    }
    case DataKind::byte:
    case DataKind::word:
    case DataKind::dword:
        writeNumber(file, which, valueNumber(value));
        break;
    case DataKind::string:
        writeString(file, valueText(value));
        break;
    case DataKind::block:
        file.write(valueText(value));
        break;
    default:
        break;
    }
}

// A byte, word or dword field, range-checked as the kind's integer type.
void FileHandle::writeNumber(OpenEntry& file, DataKind kind, double value) {
    char bytes[4];
    switch (kind) {
    case DataKind::byte:
        bytes[0] = static_cast<char>(numeric::toByte(value));
        file.write(bytes, 1);
        break;
    case DataKind::word:
        putLittleEndian(bytes, static_cast<uint16_t>(numeric::toInt16(value)), 2);
        file.write(bytes, 2);
        break;
    default:
        putLittleEndian(bytes, static_cast<uint32_t>(numeric::toInt32(value)), 4);
        file.write(bytes, 4);
        break;
    }
}

void FileHandle::writeString(OpenEntry& file, std::string_view text) {
    if (text.size() > 0xFFFF) throw OverflowError("string of " + std::to_string(text.size()) + " bytes");
    char head[4];
    putLittleEndian(head, 8, 2);
    putLittleEndian(head + 2, static_cast<uint32_t>(text.size()), 2);
    file.write(head, 4);
    file.write(text);
}

std::string FileHandle::getText(const std::string& kind) {
    FileValue value = getdata(kind);
    if (auto text = std::get_if<std::string>(&value)) return std::move(*text);
    return valueText(value);
}

void FileHandle::getLine(std::string& line) {
    if (stack_.empty()) {
        line = getText(DataKind::line);
        return;
    }
    OpenEntry& file = *stack_.back();
    ++file.lines;
    file.readLine(line);
}

int32_t FileHandle::getNumber(const std::string& kind) {
    return numberOf(getdata(kind));
}

std::string FileHandle::getText(DataKind kind) {
    if (kind != DataKind::string || stack_.empty()) {
        FileValue value = getdata(kind);
        if (auto text = std::get_if<std::string>(&value)) return std::move(*text);
        return valueText(value);
    }
    OpenEntry& file = *stack_.back();
    ++file.lines;
    return readString(file);
}

int32_t FileHandle::getNumber(DataKind kind) {
    if (!isBinaryNumber(kind) || stack_.empty()) return numberOf(getdata(kind));
    OpenEntry& file = *stack_.back();
    ++file.lines;
    return readNumber(file, kind);
}

void FileHandle::putNumber(DataKind kind, int32_t value) {
    if (!isBinaryNumber(kind) || stack_.empty()) return putdata(kind, FileValue(value));
    writeNumber(*stack_.back(), kind, value);
}

void FileHandle::putText(DataKind kind, std::string_view text) {
    if (stack_.empty() || (kind != DataKind::string && kind != DataKind::block))
        return putdata(kind, FileValue(std::string(text)));
    if (kind == DataKind::string) writeString(*stack_.back(), text);
    else stack_.back()->write(text);
}

std::size_t FileHandle::readBytes(char* out, std::size_t count) {
    OpenEntry& file = top();
    file.requireOpen();
    file.turnTo(false);
    ++file.lines;
    const auto got = file.file.sgetn(out, static_cast<std::streamsize>(count));
    if (got <= 0) return 0;
    file.at += got;
    return static_cast<std::size_t>(got);
}

void FileHandle::syncData() {
    OpenEntry& file = top();
    file.requireOpen();
    if (file.file.pubsync() != 0) throw FormatError("cannot write to " + file.name);
}

void FileHandle::SeekData(int32_t offset) {
    if (offset < 0) {
        std::string hex = numeric::hexText(offset);
        echo("Invalid Offsett 0x" + std::string(hex.size() < 8 ? 8 - hex.size() : 0, '0') + hex);
        return;
    }
    OpenEntry& file = top();
    file.requireOpen();
    file.seek(offset);
}

int32_t FileHandle::fPos() {
    return top().position();
}

int32_t FileHandle::fLen() {
    return top().length();
}

bool FileHandle::ENDOF() {
    if (stack_.empty() || !stack_.back()->open) return true;
    return stack_.back()->peek() == std::char_traits<char>::eof();
}

// --- names -------------------------------------------------------------

std::string FileHandle::currentDirectory() const {
    std::error_code ec;
    fs::path cwd = fs::current_path(ec);
    return ec ? std::string() : cwd.string();
}

std::string FileHandle::joinPath(const std::string& folder, const std::string& name) const {
    if (folder.empty()) return name;
    char last = folder.back();
    if (last == '/' || last == '\\') return folder + name;
    return folder + platform_.separator() + name;
}

std::string FileHandle::absoluteArgument(const std::string& argument) const {
    return platform_.isAbsolute(argument) ? argument : joinPath(currentDirectory(), argument);
}

std::string FileHandle::filename(const std::string& kind) const {
    switch (parsePart(kind)) {
    case NamePart::fullpath:
        if (name_.empty()) return "";
        return joinPath(currentDirectory(), name_ + "." + extension_);
    case NamePart::name:
        return name_;
    case NamePart::directory:
        return currentDirectory();
    case NamePart::extension:
        return extension_;
    case NamePart::none:
        break;
    }
    return "";
}

void FileHandle::setFilename(const std::string& kind, const std::string& value) {
    switch (parsePart(kind)) {
    case NamePart::fullpath: {
        // Positions are 1-based with 0 for "not found", as the rule is stated.
        name_.clear();
        std::size_t length = value.size();
        std::size_t dot = value.rfind('.');
        std::size_t d = dot == std::string::npos ? 0 : dot + 1;
        std::size_t x = length - d;
        std::size_t sep = DirectorySearch::lastSeparator(value);
        std::size_t s = sep == std::string::npos ? 0 : sep + 1;
        if (s > length - x) x = 0;  // the dot is not in the last component
        std::string folder;
        if (x == length) {
            folder = value;
        } else {
            extension_ = value.substr(length - x);
            // A separator in front is the root itself, not an empty folder.
            if (s == 1) folder = value.substr(0, 1);
            else if (s > 1) folder = value.substr(0, s - 1);
            name_ = value.substr(s, length - s - (x > 0 ? x + 1 : 0));
        }
        directory_ = folder;
        if (!folder.empty()) Dos("chdir", folder);
        break;
    }
    case NamePart::name:
        name_ = value;
        break;
    case NamePart::directory:
        // Only stored: changing directory is what "fullpath" and Dos do.
        directory_ = value;
        break;
    case NamePart::extension:
        extension_ = value;
        break;
    case NamePart::none:
        break;
    }
}

std::string FileHandle::filename_get(std::string& dir, std::string& name, std::string& ext) const {
    if (dir.empty()) dir = directory_;
    if (name.empty()) name = name_;
    if (ext.empty()) ext = extension_;
    return dir + platform_.separator() + name + "." + ext;
}

bool FileHandle::exist(std::string& name, bool ask, bool confirm) {
    if (name.empty()) return false;
    DirectorySearch search(platform_);
    DirectoryEntry found;
    bool here = search.findFile(name, found);
    if (here && !confirm) {
        name = found.path;
        return true;
    }
    if (!here) {
        if (platform_.isAbsolute(name)) return false;
        // Codesets and other files of the program are found beside it. A name
        // found nowhere stays as given, so a new file lands in the current folder.
        if (!search.findFile(joinPath(platform_.programDirectory(), name), found)) return false;
        name = found.path;
    }
    if (ask && confirm && platform_.askYesNo("File Exists. Delete?", "Delete File")) {
        std::error_code ec;
        fs::remove(found.path, ec);
        return static_cast<bool>(ec);
    }
    return true;
}

std::string FileHandle::getfile(const std::string& mode) {
    bool shortResult = startsWithOld(mode);
    std::string rest = shortResult ? mode.substr(4) : mode;
    std::string lowered = textkit::lower(rest);

    FileDialogRequest request;
    if (lowered == "input" || lowered == "read" || lowered == "open") {
        request.title = "Open file ....";
        request.mustExist = true;
    } else if (lowered == "output" || lowered == "write" || lowered == "save") {
        request.title = "Save file ....";
        request.save = true;
    } else if (lowered == "multiread") {
        request.title = "Open many files ....";
        request.mustExist = true;
        request.multiSelect = true;
    } else {
        std::size_t colon = rest.find(':');
        request.title = colon == std::string::npos ? rest : rest.substr(colon + 1);
        double bits = numeric::read(rest);
        if (bits >= INT32_MIN && bits <= INT32_MAX)
            request.optionBits = static_cast<uint32_t>(static_cast<int32_t>(bits));
    }

    std::string chosen = platform_.fileDialog(request);
    // A NUL-separated answer (directory, then names) becomes "dir;a;b".
    std::size_t end = chosen.find(std::string("\0\0", 2));
    if (end != std::string::npos) chosen.resize(end);
    for (char& c : chosen)
        if (c == '\0') c = ';';
    if (!chosen.empty() && chosen.back() == ';') chosen.pop_back();
    if (chosen.empty()) return "";
    return shortResult ? shortenname(chosen) : chosen;
}

std::string FileHandle::shortenname(const std::string& path) {
    if (path.empty()) return "";
    return textkit::lower(platform_.shortName(path));
}

void FileHandle::ShrinkName(std::string& text) {
    DirectorySearch search(platform_);
    std::size_t from = 0;
    for (;;) {
        std::size_t open = text.find('"', from);
        if (open == std::string::npos) return;
        std::size_t close = text.find('"', open + 1);
        if (close == std::string::npos) return;
        std::string shortForm;
        DirectoryEntry found;
        if (search.findFile(text.substr(open + 1, close - open - 1), found)) shortForm = shortenname(found.path);
        if (shortForm.empty()) {
            // No file by that name: the quoted part stays as written.
            from = close + 1;
        } else {
            text.replace(open, close - open + 1, shortForm);
            from = open + shortForm.size();
        }
    }
}

// --- shell words -------------------------------------------------------

std::string FileHandle::Dos(const std::string& word, std::string& argument) {
    try {
        return dosWord(textkit::lower(word), argument);
    } catch (const std::exception&) {
        return kInvalidPath;
    }
}

std::string FileHandle::dosWord(const std::string& word, std::string& argument) {
    DirectorySearch search(platform_);
    if (word == "dir") {
        std::string cwd = currentDirectory();
        if (argument.empty()) argument = joinPath(cwd, "*.*");
        std::string listing = ">>" + cwd + kCrLf;
        for (const auto& entry : search.find(absoluteArgument(argument), true))
            listing += entry.name + '\t' + shortenname(entry.path) + '\0';
        return listing;
    }
    if (word == "cd" || word == "chdir") {
        std::string target = argument;
        // Drive letters mean nothing where the root is "/".
        if (platform_.separator() == '/' && target.size() >= 2 && target[1] == ':') target.erase(0, 2);
        if (argument.empty()) throw FormatError("no folder given");
        if (!target.empty()) {
            std::string resolved = platform_.resolveExisting(target);
            if (resolved.empty()) throw FormatError("no such folder: " + target);
            fs::current_path(resolved);
        }
        return currentDirectory();
    }
    if (word == "delete") {
        if (argument.empty()) return "";
        std::string report;
        for (const auto& entry : search.find(absoluteArgument(argument), false)) {
            fs::remove(entry.path);
            report += "Deleted " + entry.name + kCrLf;
        }
        return report;
    }
    if (word == "rmdir") {
        std::string resolved = platform_.resolveExisting(absoluteArgument(argument));
        if (resolved.empty() || !fs::is_directory(resolved)) throw FormatError("no such folder: " + argument);
        if (fs::is_empty(resolved)) fs::remove(resolved);
        return "";
    }
    if (word == "mkdir") {
        std::string path = absoluteArgument(argument);
        if (argument.empty() || !platform_.resolveExisting(path).empty()) return "";
        fs::create_directory(platform_.nativePath(path));
        return "";
    }
    if (word == "shell") {
        std::string resolved = platform_.resolveExisting(argument);
        return platform_.shellOpen(resolved.empty() ? argument : resolved);
    }
    return "";
}

} // namespace kestrel

namespace kestrel {

RegistryStore& FileHandle::registry() {
    if (!registry_) registry_ = std::make_unique<RegistryStore>(platform_, platform_.registryFile());
    return *registry_;
}

bool FileHandle::CreateNewKey(const std::string& path, const std::string& value) {
    return registry().CreateNewKey(path, value);
}

std::string FileHandle::GetKeyValue(const std::string& path, const std::string& valuename) {
    return registry().GetKeyValue(path, valuename).value_or(std::string());
}

bool FileHandle::SetKeyValue(const std::string& path, const std::string& valuename, const std::string& value,
                             int type) {
    return registry().SetKeyValue(path, valuename, value, type);
}

bool FileHandle::DeleteRegKey(const std::string& path) { return registry().DeleteRegKey(path); }

namespace {

std::string nulList(const std::optional<std::vector<std::string>>& names) {
    std::string out;
    if (names)
        for (const auto& name : *names) out += name + '\0';
    return out;
}

} // namespace

std::string FileHandle::EnumRegKeys(const std::string& path) { return nulList(registry().EnumRegKeys(path)); }

std::string FileHandle::EnumRegValues(const std::string& path) { return nulList(registry().EnumRegValues(path)); }

} // namespace kestrel
