#include "services/FileStack.h"

#include <string>

#include "platform/Platform.h"
#include "services/Log.h"
#include "text/KestrelError.h"
#include "text/Numeric.h"

namespace kestrel {

namespace {

const std::string kCrLf = "\r\n";
constexpr std::size_t kDefaultBlock = 1000;

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

// A file buffer whose buffered input readLine searches for the line end
// directly, instead of taking the bytes one call at a time.
struct LineFileBuf : std::filebuf {
    std::string_view buffered() const { return {gptr(), static_cast<std::size_t>(egptr() - gptr())}; }
    void skip(std::size_t count) { gbump(static_cast<int>(count)); }
};

}  // namespace

// One open file of the stack. All modes use the file buffer in binary form:
// text lines are cut by hand at CR LF, LF or a lone CR, so scripts read alike.
struct FileStack::OpenEntry {
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

FileStack::FileStack(Log& log, Platform& platform) : log_(log), platform_(platform) {}

FileStack::~FileStack() = default;

FileStack::OpenEntry& FileStack::top() {
    if (stack_.empty()) throw OutOfRangeError("no file is open");
    return *stack_.back();
}

const FileStack::OpenEntry* FileStack::topOrNull() const { return stack_.empty() ? nullptr : stack_.back().get(); }

const char* FileStack::modeWord(OpenMode mode) {
    switch (mode) {
    case OpenMode::input: return "input";
    case OpenMode::script: return "Input";
    case OpenMode::output: return "output";
    case OpenMode::read: return "read";
    case OpenMode::write: return "write";
    }
    return "";
}

bool FileStack::writes(OpenMode mode) { return mode == OpenMode::output || mode == OpenMode::write; }

bool FileStack::push(const std::string& name, OpenMode mode) {
    // The "#PROCESS" line names the new number but is logged at the old nesting.
    log_.echo("#PROCESS: " + name + " F:" + numeric::decimal(fileno() + 1) + " for " + modeWord(mode), true);

    auto entry = std::make_unique<OpenEntry>();
    entry->name = name;
    const auto binary = std::ios::binary;
    const std::string existing = platform_.resolveExisting(name);
    const std::string path = existing.empty() ? platform_.nativePath(name) : existing;
    switch (mode) {
    case OpenMode::input:
    case OpenMode::script:
        entry->script = true;
        entry->open = !existing.empty() && entry->file.open(existing, std::ios::in | binary);
        break;
    case OpenMode::output: entry->open = entry->file.open(path, std::ios::out | std::ios::trunc | binary); break;
    case OpenMode::read:
    case OpenMode::write:
        if (existing.empty() && mode == OpenMode::write) {
            std::filebuf create;
            if (create.open(path, std::ios::out | binary)) create.close();
        }
        entry->open = entry->file.open(path, std::ios::in | std::ios::out | binary);
        // A read-only image can still be read.
        if (!entry->open && mode == OpenMode::read) entry->open = entry->file.open(path, std::ios::in | binary);
        break;
    }
    if (!entry->open) return false;
    stack_.push_back(std::move(entry));
    log_.setNesting(stack_.size());
    return true;
}

void FileStack::closefile() {
    if (stack_.empty()) return;
    const int lines = stack_.back()->lines;
    stack_.pop_back();
    log_.setNesting(stack_.size());
    log_.echo("|");
    log_.echo("\\- Processed " + numeric::decimal(lines) + " Lines");
    log_.echo(" ");
}

int FileStack::lineno() const {
    const OpenEntry* file = topOrNull();
    return file ? file->lines : logLines_;
}

void FileStack::setLineno(int value) {
    if (stack_.empty())
        logLines_ = value;
    else
        stack_.back()->lines = value;
}

std::string FileStack::currentFileName() const {
    const OpenEntry* file = topOrNull();
    return file ? file->name : std::string();
}

std::vector<std::string> FileStack::includers() const {
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
std::string FileStack::readValue(OpenEntry& file) {
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
        for (c = file.bump(); c != eof && c != '"' && c != '\n'; c = file.bump()) value += static_cast<char>(c);
        if (c == '"') c = file.bump();
        while (c != eof && c != ',' && c != '\n') c = file.bump();
        return value;
    }
    for (c = file.bump(); c != eof && c != ',' && c != '\n'; c = file.bump()) value += static_cast<char>(c);
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t' || value.back() == '\r')) value.pop_back();
    return value;
}

FileValue FileStack::getdata(DataKind which) {
    if (stack_.empty()) {
        ++logLines_;
        if (which == DataKind::megablock) return std::string();
        throw OutOfRangeError("no file is open for reading");
    }
    OpenEntry& file = top();
    ++file.lines;
    switch (which) {
    case DataKind::line: return file.readLine();
    case DataKind::value: return readValue(file);
    case DataKind::byte:
    case DataKind::word:
    case DataKind::dword: return readNumber(file, which);
    case DataKind::string: return readString(file);
    case DataKind::block: {
        // Chunked reading: the last chunk of a file may be short.
        std::string data = file.readUpTo(kDefaultBlock);
        if (data.empty()) throw FormatError("unexpected end of file");
        return data;
    }
    case DataKind::megablock: break;
    }
    return std::string();
}

std::string FileStack::getBlock(std::size_t count) {
    if (count == 0 || stack_.empty()) return getText(DataKind::block);
    OpenEntry& file = *stack_.back();
    ++file.lines;
    return file.readExact(count);
}

// A byte, word or dword field (the line counter is the caller's).
int32_t FileStack::readNumber(OpenEntry& file, DataKind kind) {
    char bytes[4];
    switch (kind) {
    case DataKind::byte: file.readInto(bytes, 1); return static_cast<uint8_t>(bytes[0]);
    case DataKind::word: file.readInto(bytes, 2); return static_cast<int16_t>(fromLittleEndian(bytes, 2));
    default: file.readInto(bytes, 4); return static_cast<int32_t>(fromLittleEndian(bytes, 4));
    }
}

// A string field: type tag, 16-bit length, the bytes.
std::string FileStack::readString(OpenEntry& file) {
    char head[4];
    file.readInto(head, 2);  // type tag
    file.readInto(head + 2, 2);
    std::string text(fromLittleEndian(head + 2, 2), '\0');
    file.readInto(text.data(), text.size());
    return text;
}

void FileStack::putdata(DataKind which, const FileValue& value) {
    if (which == DataKind::value || which == DataKind::megablock) return;
    if (stack_.empty()) {
        // Printing to file 1 writes into the log itself.
        if (which != DataKind::line) throw OutOfRangeError("no file is open for writing");
        log_.writeLine(valueText(value));
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
    case DataKind::dword: writeNumber(file, which, valueNumber(value)); break;
    case DataKind::string: writeString(file, valueText(value)); break;
    case DataKind::block: file.write(valueText(value)); break;
    default: break;
    }
}

// A byte, word or dword field, range-checked as the kind's integer type.
void FileStack::writeNumber(OpenEntry& file, DataKind kind, double value) {
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

void FileStack::writeString(OpenEntry& file, std::string_view text) {
    if (text.size() > 0xFFFF) throw OverflowError("string of " + std::to_string(text.size()) + " bytes");
    char head[4];
    putLittleEndian(head, 8, 2);
    putLittleEndian(head + 2, static_cast<uint32_t>(text.size()), 2);
    file.write(head, 4);
    file.write(text);
}

void FileStack::getLine(std::string& line) {
    if (stack_.empty()) {
        line = getText(DataKind::line);
        return;
    }
    OpenEntry& file = *stack_.back();
    ++file.lines;
    file.readLine(line);
}

std::string FileStack::getText(DataKind kind) {
    if (kind != DataKind::string || stack_.empty()) {
        FileValue value = getdata(kind);
        if (auto text = std::get_if<std::string>(&value)) return std::move(*text);
        return valueText(value);
    }
    OpenEntry& file = *stack_.back();
    ++file.lines;
    return readString(file);
}

int32_t FileStack::getNumber(DataKind kind) {
    if (!isBinaryNumber(kind) || stack_.empty()) return numberOf(getdata(kind));
    OpenEntry& file = *stack_.back();
    ++file.lines;
    return readNumber(file, kind);
}

void FileStack::putNumber(DataKind kind, int32_t value) {
    if (!isBinaryNumber(kind) || stack_.empty()) return putdata(kind, FileValue(value));
    writeNumber(*stack_.back(), kind, value);
}

void FileStack::putText(DataKind kind, std::string_view text) {
    if (stack_.empty() || (kind != DataKind::string && kind != DataKind::block))
        return putdata(kind, FileValue(std::string(text)));
    if (kind == DataKind::string)
        writeString(*stack_.back(), text);
    else
        stack_.back()->write(text);
}

std::size_t FileStack::readBytes(char* out, std::size_t count) {
    OpenEntry& file = top();
    file.requireOpen();
    file.turnTo(false);
    ++file.lines;
    const auto got = file.file.sgetn(out, static_cast<std::streamsize>(count));
    if (got <= 0) return 0;
    file.at += got;
    return static_cast<std::size_t>(got);
}

void FileStack::syncData() {
    OpenEntry& file = top();
    file.requireOpen();
    if (file.file.pubsync() != 0) throw FormatError("cannot write to " + file.name);
}

void FileStack::SeekData(int32_t offset) {
    if (offset < 0) {
        std::string hex = numeric::hexText(offset);
        log_.echo("Invalid Offsett 0x" + std::string(hex.size() < 8 ? 8 - hex.size() : 0, '0') + hex);
        return;
    }
    OpenEntry& file = top();
    file.requireOpen();
    file.seek(offset);
}

int32_t FileStack::fPos() { return top().position(); }

int32_t FileStack::fLen() { return top().length(); }

bool FileStack::ENDOF() {
    if (stack_.empty() || !stack_.back()->open) return true;
    return stack_.back()->peek() == std::char_traits<char>::eof();
}

}  // namespace kestrel
