#include "Seeds.h"

#include "EntryPoints.h"
#include "buffers/FileBuffer.h"
#include "commands/CmdList.h"
#include "engine/Shared.h"
#include "services/FileHandle.h"
#include "text/KestrelError.h"
#include "text/Numeric.h"
#include "text/SmartNum.h"
#include "text/SmartString.h"

namespace kestrel::fuzz {

namespace {

constexpr int32_t kImageBase = 0x08000000;

std::string littleEndian(uint32_t value, int bytes) {
    std::string out;
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
    return out;
}

// Adds data under a label of buffer b, as the compiler does per statement.
void put(FileBuffer& set, int b, const std::string& label, int16_t mode, const std::string& data,
         const std::string& pointers = "") {
    set.setInbuffer(static_cast<uint8_t>(b));
    set.setInname(label);
    set.setInmode(mode);
    set.add_Data(data, pointers);
}

}  // namespace

const std::vector<std::string>& Seeds::everyStatement() {
    static const std::vector<std::string> statements = {
        "wait 5",      "flag 0x1234", "money 0x12345678",    "goto 0x40",  "call 0x20",    "if 3 0x10", "say 0x30",
        "walk 1 0x50", "face 1 2",    "choice 0x0102030405", "pad",        "pause 9",      "music 2",   "menu 2 7 8",
        "#0F01",       "sound 4",     "label 0x60",          "user 1 2 3", "repeat 1 1 1", "stamp",     "halt 3",
        "odd 5",       "wide 0x70",   "menuitems 1 2",       "turnleft 1", "show 7 at 9",  "hop 0x80",  "tap 5",
        "end",
    };
    return statements;
}

std::string Seeds::pointerTo(int32_t offset) { return littleEndian(static_cast<uint32_t>(kImageBase + offset), 4); }

void Seeds::place(std::string& image, std::size_t offset, const std::string& bytes) {
    if (image.size() < offset + bytes.size()) image.resize(offset + bytes.size(), '\0');
    image.replace(offset, bytes.size(), bytes);
}

std::string Seeds::assemble(const std::vector<std::string>& statements) {
    std::string out;
    for (const std::string& statement : statements) {
        // "#" and hexadecimal digits: bytes the compiler would refuse, such as
        // a bound command without the words it pulls in ("#0F01" is menu 1).
        if (statement.starts_with('#')) {
            for (std::size_t i = 1; i + 1 < statement.size(); i += 2)
                out += static_cast<char>(std::stoi(statement.substr(i, 2), nullptr, 16));
            continue;
        }
        std::string script = statement;
        std::string pointers;
        if (!entries_.commands().encode(script, pointers, 1))
            throw KestrelError("the fuzz codeset has no command for '" + statement + "'");
        // Pointer slots: target, position, type triples.
        SmartString items;
        items.kaSplit(pointers, ",");
        for (int i = 0; i + 1 <= items.count(); i += 3) {
            const auto position = static_cast<std::size_t>(numeric::read(items.values(i + 1)));
            const auto target = static_cast<int32_t>(numeric::read(items.values(i)));
            script.replace(position, 4, pointerTo(target));
        }
        out += script;
    }
    return out;
}

std::vector<Seed> Seeds::bufferFiles() {
    FileHandle& files = *entries_.shared().gFiles;
    auto save = [&](FileBuffer& set) { return entries_.saved(set); };

    std::vector<Seed> out;
    {
        FileBuffer set(files, entries_.shared().autobank);
        out.push_back({"empty-set.buf", save(set)});
    }
    {
        // The smallest useful file: three bytes under one label.
        FileBuffer set(files, entries_.shared().autobank);
        put(set, 0, "start", 0, "\x01\x02\x03");
        out.push_back({"one-label.buf", save(set)});
    }
    {
        // Commands with a pointer to a second label, text and movement data,
        // labels in three buffers and a comment.
        FileBuffer set(files, entries_.shared().autobank);
        set.setBuffer(16, "fuzz seed");
        put(set, 0, "main", 3, assemble({"wait 5", "flag 0x1234"}));
        put(set, 0, "", 3, "\x05!PTR", "loop,1,3");
        put(set, 0, "loop", 3, assemble({"music 2", "menu 2 7 8", "end"}));
        put(set, 2, "words", 8, "AB!\xFF");
        put(set, 15, "path", 9, "\x01\x02\x03\x04\x05\x06\x07\xFF");
        out.push_back({"labels-and-pointers.buf", save(set)});
    }
    {
        // Every command, a second pointer kind and two labels at one offset.
        FileBuffer set(files, entries_.shared().autobank);
        put(set, 0, "all", 3, assemble(everyStatement()));
        put(set, 0, "same", 3, "");
        put(set, 0, "tail", 3, std::string("\x08", 1) + "!PTR", "&h40,1,8");
        put(set, 1, "raw", 9, std::string("\x00\xFF\x10\x20", 4));
        out.push_back({"every-command.buf", save(set)});
    }
    {
        // Directives planted behind line breaks in the comment and a text.
        FileBuffer set(files, entries_.shared().autobank);
        set.setBuffer(16, "x\r\n#del sentinel.txt\n#mkdir planted\r;#del sentinel.txt");
        put(set, 0, "main", 3, assemble({"wait 5"}));
        put(set, 1, "talk", 8, "A\n#del sentinel.txt\r\n;#mkdir planted\xFF");
        out.push_back({"planted-lines.buf", save(set)});
    }
    {
        // The same in a label and a pointer name (the reader refuses both;
        // edits of them explore what is near).
        FileBuffer set(files, entries_.shared().autobank);
        put(set, 0, "x\r\n#del sentinel.txt", 3, "\x05!PTR", "y;#mkdir planted,1,3");
        out.push_back({"planted-names.buf", save(set)});
    }
    return out;
}

std::vector<Seed> Seeds::bytecode() {
    std::vector<Seed> out;
    out.push_back({"every-command.bin", assemble(everyStatement())});
    out.push_back({"chain.bin", assemble({"wait 5", "flag 0x102", "goto 0x20", "call 0x30", "end"})});
    out.push_back({"aliases.bin", assemble({"turnleft 1", "show 7 at 9", "hop 0x80", "tap 5"})});
    out.push_back({"binds.bin", assemble({"menu 2 7 8", "repeat 1 1 1", "#0F01", "music 3"})});
    // Unclaimed bytes: runs of one to five, then a command.
    out.push_back({"raw-runs.bin", std::string("\x30\x31\x32\x33\x34\x01\x05\x40\x41\x42\x01\x06", 12)});
    out.push_back({"end-mark-mid.bin", assemble({"halt 3", "wait 1"})});
    return out;
}

std::vector<Seed> Seeds::records() {
    std::vector<Seed> out;
    out.push_back({"stop-at-ff.bin", std::string("\x01\x02\xFF\x05", 4)});
    out.push_back({"two-lines.bin", std::string("\x00\x01\x02\x03\x04\x05\x06\x07", 8)});
    std::string long_(300, '\0');
    for (std::size_t i = 0; i < long_.size(); ++i) long_[i] = static_cast<char>(i * 7);
    out.push_back({"longer-than-256.bin", long_});
    out.push_back({"raw-line.txt", "raw 1 2 i 1234"});
    out.push_back({"move-pointer.txt", "move p 8001234"});
    out.push_back({"binary-widths.txt", "binary l 12345678 b 1 word &hFFFF ptr 20"});
    out.push_back({"other-kind.txt", "data 1 2"});
    return out;
}

std::vector<Seed> Seeds::images() {
    std::vector<Seed> out;
    {
        // A walk over every mode: commands, then text and movement blocks,
        // and a pointer back to the start.
        std::string image(1, '\0');
        place(image, 1, assemble({"wait 5", "flag 0x102", "goto 0x20", "call 0x30", "end"}));
        place(image, 0x20, assemble({"say 0x40", "walk 1 0x50", "end"}));
        place(image, 0x30, assemble({"hop 0x1", "user 0x44 0x50 0x40", "end"}));
        place(image, 0x40, "\x41\x42\x01\xF0\xF1\xFF");  // AB!@p[player] and the finish marker
        place(image, 0x50, std::string("\x01\x02\x03\xFF\x09", 5));
        out.push_back({"walk.img", image});
    }
    {
        std::string image(1, '\0');
        place(image, 1, assemble({"goto 0x1"}));
        out.push_back({"self-cycle.img", image});
    }
    {
        std::string image(1, '\0');
        place(image, 1, assemble({"goto 0x10", "end"}));
        place(image, 0x10, assemble({"call 0x1", "goto 0x10", "end"}));
        out.push_back({"two-block-cycle.img", image});
    }
    {
        // Pointers past the end, below the image base and to offset 0.
        std::string image(1, '\0');
        place(image, 1, assemble({"goto 0x7FFFF0", "call 0x30"}));
        place(image, image.size(), "\x05" + littleEndian(0x10, 4));
        place(image, image.size(), assemble({"goto 0x0", "if 1 0x1"}));
        out.push_back({"bad-pointers.img", image});
    }
    {
        std::string image(1, '\0');
        place(image, 1, assemble(everyStatement()));
        out.push_back({"every-command.img", image});
    }
    return out;
}

}  // namespace kestrel::fuzz
