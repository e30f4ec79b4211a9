#pragma once
// The buffer set: sixteen data buffers and a comment slot, a label list per
// data buffer, the pointer places still to be patched, and the label
// addresses that are fixed ("pushed"). Compiled bytes wait here until they
// are burned into an image or saved as a buffer file.
//
// Sources: FileBuffer.cpp (the model), FileBufferPointers.cpp (pushed
// addresses and pointers), FileBufferIO.cpp (buffer files),
// FileBufferBurn.cpp (burning into an image).
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "buffers/BurnPlan.h"
#include "buffers/OffsetList.h"
#include "buffers/fOffsett.h"
#include "text/TextKit.h"

namespace kestrel {

class Autobank;
class FileHandle;
class Platform;

class FileBuffer {
public:
    static constexpr int kDataBuffers = 16;  // slots 0..15 hold data
    static constexpr int kCommentSlot = 16;
    static constexpr int kPointerList = 16;  // list number of the pointers in count/get_Point
    // A pointer's Offset is its buffer * kBufferStride + its position there,
    // so a position must stay below kBufferStride.
    static constexpr int32_t kBufferStride = 100000;
    // Largest count or string length a buffer file can hold (signed 16-bit).
    static constexpr int32_t kFileLimit = 32767;

    enum class SlotKind { Empty, Bytes, Picture };

    // Which headers of buffer files the set reads (the header is the title
    // of the program that wrote the file).
    using HeaderRule = std::function<bool(const std::string& header)>;
    // The address of a pointer target that no label and no push gives: the
    // full target name in, an address whose numeric reading is not 0 out, or
    // nullopt when none can be had (the burn then cannot go on).
    using PointerResolver = std::function<std::optional<double>(const std::string& target)>;

    // `title` is the program's title: written as the header of buffer files
    // and required of the files read, except that "Plover" reads any header.
    // `autobank` is the program's switch, read whenever a pointer is converted.
    FileBuffer(FileHandle& files, const Autobank& autobank, std::string title = "Kestrel");
    FileBuffer(FileHandle& files, const Autobank& autobank, std::string title, HeaderRule acceptsHeader);

    // The resolver that asks the user with the platform's input box until
    // the answer is a non-zero address; nullopt when the box is cancelled.
    static PointerResolver askingResolver(Platform& platform);
    // Replaces the resolver used by pointerpop and burnbuffer (at first the
    // asking one).
    void setPointerResolver(PointerResolver resolver) { resolver_ = std::move(resolver); }

    // --- the current record ----------------------------------------------
    const std::string& inname() const { return current_->name; }
    void setInname(std::string name) { current_->name = std::move(name); }
    int32_t inoffsett() const { return current_->Offset; }
    void setInoffsett(int32_t offset) { current_->Offset = offset; }
    int16_t inmode() const { return current_->mode; }
    void setInmode(int16_t mode) { current_->mode = mode; }
    uint8_t inbuffer() const { return current_->buffer; }
    // Copies the old buffer number into lastbuffer first.
    void setInbuffer(uint8_t buffer);
    // The current record itself (a stored label or pointer after get_Point).
    std::shared_ptr<fOffsett> currentRecord() const { return current_; }

    // --- slots -------------------------------------------------------------
    // Slot 0..16, OutOfRangeError otherwise. An empty slot reads as "".
    const std::string& buffer(int slot) const;
    // Makes the slot a byte text holding `bytes`.
    void setBuffer(int slot, std::string bytes);
    // Appends to a slot without copying it (an empty slot becomes a byte text).
    void appendBuffer(int slot, const std::string& bytes);
    SlotKind slotKind(int slot) const;

    // 0..15: labels of that buffer; 16: all pointers; OutOfRangeError otherwise.
    int32_t count(int list) const;
    // Makes item n of a list (0..15 labels, 16 and above pointers) the current
    // record; with no item n the current record is a new empty one.
    void get_Point(int32_t n, int list);

    // Appends data to the current record's buffer, records the pointers of
    // `pointerList` (target,position,kind triples) and the current record as
    // a label when it is named; then starts a new empty current record.
    void add_Data(const std::string& data, const std::string& pointerList);
    // Encodes value words by a type list (SmartNum::kaCodevals) and adds them.
    void add_Value(const std::string& values, const std::string& types);
    // Stores an opaque picture in an empty slot (-1: the current buffer).
    void add_Picture(const std::string& picture, int slot = -1);
    // The bytes of label n (1-based) of buffer b, up to the next label or the
    // end of the buffer; the label becomes the current record.
    std::string Get_Data(int32_t n, int b);

    // Buffer number of the current record before the last setInbuffer; the
    // compiler also keeps its home buffer here.
    uint8_t lastbuffer = 0;
    // Burn fill: -1 writes the buffers' bytes, 0..255 writes that byte instead.
    int16_t fillme = -1;

    // --- pushed addresses and pointers --------------------------------------
    void pushoffsett(const std::string& name, int32_t address);
    // The pushed address text of a label (spaced decimal), if any.
    std::optional<std::string> pushed(const std::string& name) const;
    // Patches pointer n (1-based) into its buffer. FloatingPointerError when
    // its target has no address.
    void pointerpop(int32_t n);
    // Replaces "$q" in decoded text by the names of the pointers at the
    // positions q of `list` (pairs), relative to the current record.
    void PointerPeek(std::string& text, const std::string& list);
    // Records pointers found while decoding (target,kind pairs).
    void pointerpoke(const std::string& list);

    // --- buffer files and burning --------------------------------------------
    // Writes the whole set at the current position of the open file. The set
    // is checked against the format's limits first (FormatError, nothing written).
    void writebuffer();
    // Reads one buffer file from the open file and merges it into the set;
    // every name gets the prefix `mergestr` + "." when it is not empty.
    void readbuffer(std::string mergestr);
    // Gives every label an address, patches every pointer and writes every
    // label's bytes into the open image: planBurn with the set's resolver,
    // then applyBurn. BurnError (nothing changed) or FloatingPointerError.
    void burnbuffer();
    // Every label's address and every pointer's value, without changing the
    // set or touching a file. Pointer targets that neither a label nor a push
    // gives go to `resolve`.
    BurnPlan planBurn(const PointerResolver& resolve) const;
    BurnPlan planBurn() const { return planBurn(resolver_); }
    // Carries out a plan made for this set: pushes the labels' addresses,
    // patches the pointers into the buffers and writes each label's bytes at
    // its address into the open file. A plan with problems other than
    // floating pointers is refused with BurnError before anything changes;
    // an unresolved pointer throws FloatingPointerError before a byte is
    // written to the file.
    void applyBurn(const BurnPlan& plan);

    const OffsetList& labels(int b) const;
    const OffsetList& pointers() const { return pointers_; }
    const std::string& title() const { return title_; }

private:
    struct Slot {
        SlotKind kind = SlotKind::Empty;
        std::string bytes;  // the data, or the picture's opaque content
    };

    static void checkSlot(int slot);
    static void checkDataBuffer(int b);
    static const char* kindName(SlotKind kind);
    // Splits a comma list with the tokenizer's rules, without its limit of
    // sixteen pieces.
    static std::vector<std::string> splitList(const std::string& list);
    static void appendDecimal(std::string& text, int64_t value);

    // Records of one pointer list, checked, not yet added (keyed by Offset).
    struct PendingPointer {
        std::shared_ptr<fOffsett> record;
        int32_t position;
    };
    std::vector<PendingPointer> compilePointers(const std::string& pointerList, int b, int32_t base) const;

    void validateForFile() const;
    void writeRecord(const fOffsett& record);
    std::shared_ptr<fOffsett> readRecord(const std::string& prefix);
    void logRecord(const fOffsett& record);
    void patchPointer(int32_t b, int32_t position, int32_t value);
    // The pointer's buffer, position, target and value; `addressOf` gives
    // label addresses (0 when none).
    BurnPlan::Pointer planPointer(const fOffsett& record, int32_t n,
                                  const std::function<int64_t(const std::string&)>& addressOf,
                                  const PointerResolver& resolve, std::vector<BurnPlan::Problem>& problems) const;
    void logAdjusting(const BurnPlan::Pointer& pointer);
    // The pushed address of a label; what pushed() gives as text.
    std::optional<int32_t> pushedAddress(const std::string& name) const;
    // pushoffsett, giving the entry that now holds the address.
    const int32_t& pushEntry(const std::string& name, int32_t address);

    FileHandle& files_;
    const Autobank& autobank_;
    std::string title_;
    HeaderRule acceptsHeader_;
    PointerResolver resolver_;
    std::array<Slot, kDataBuffers + 1> slots_;
    std::array<OffsetList, kDataBuffers> labels_;
    OffsetList pointers_;
    // Label name (any case) -> pushed address.
    std::unordered_map<std::string, int32_t, textkit::FoldedHash, textkit::FoldedEqual> pushed_;
    std::shared_ptr<fOffsett> current_;
    // Reused for log lines and lower-cased names, so that a record costs no
    // allocation for them.
    std::string line_;
    std::string name_;
};

}  // namespace kestrel
