#pragma once
// A character codec that passes every call on to the real one and keeps a
// copy of the table that the definitions build: the markers and, in order,
// every text-table and code-name entry, read as the codec reads them. An
// entry that the table file form cannot hold is reported through `report`
// while its definition runs, so the report names the header line.
#include <functional>
#include <string>

#include "codec/Wren.h"
#include "engine/CharacterTable.h"

namespace kestrel {

class TableRecorder final : public wren::IHandleLetters {
public:
    using Report = std::function<void(const std::string& message)>;
    // Takes over `inner` (released with this object).
    TableRecorder(wren::IHandleLetters* inner, Report report);

    const CharacterTable& table() const { return table_; }

    void Release() override;
    void add(std::string& Value1, std::string& Value2, const std::string& method) override;
    std::string encode(const std::string& phrase) override { return inner_->encode(phrase); }
    std::string Decode(const std::string& phrase) override { return inner_->Decode(phrase); }
    int16_t bError() const override { return inner_->bError(); }
    void setBError(int16_t value) override { inner_->setBError(value); }
    std::string sLog() const override { return inner_->sLog(); }
    void setSLog(const std::string& value) override { inner_->setSLog(value); }
    void advise(wren::HandleLettersEvents* sink) override { inner_->advise(sink); }
    std::string hexForm(unsigned char byte) const override { return inner_->hexForm(byte); }

private:
    ~TableRecorder() override;
    void record(const std::string& Value1, const std::string& Value2, const std::string& method);
    void recordEntry(CharacterTable::Kind kind, const std::string& Value1, const std::string& Value2);

    wren::IHandleLetters* inner_;
    Report report_;
    CharacterTable table_;
};

}  // namespace kestrel
