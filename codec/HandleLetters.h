#pragma once
// The character codec: turns script text into the image's bytes and back
// through a text table (single characters), a code-name table and the control
// markers. Problems are recorded in bError and sLog, never thrown.
#include <array>
#include <cstdint>
#include <string>

#include "codec/CollectList.h"
#include "codec/Wren.h"

namespace wren {

class HandleLetters final : public IHandleLetters {
public:
    HandleLetters();

    void Release() override;
    void add(std::string& Value1, std::string& Value2, const std::string& method) override;
    std::string encode(const std::string& phrase) override;
    std::string Decode(const std::string& phrase) override;
    int16_t bError() const override { return bError_; }
    void setBError(int16_t value) override { bError_ = value; }
    std::string sLog() const override { return sLog_; }
    void setSLog(const std::string& value) override { sLog_ = value; }
    void advise(HandleLettersEvents* sink) override { sink_ = sink; }
    std::string hexForm(unsigned char byte) const override;

private:
    ~HandleLetters() override = default;

    enum Marker { kHash = 0, kStart = 1, kEnd = 2, kHex = 3, kVar = 4, kFinish = 5 };

    bool isMarker(char c, Marker marker) const;
    // Appends the byte of a code text ("&HFD", "253"); a missing or
    // unusable code gives byte 0 and counts as a failed translation.
    bool appendCode(std::string& out, const std::string& code) const;
    void prependLog(const std::string& message);
    void recordFailure(const std::exception* error);
    template <class Body>
    std::string guarded(Body body);
    void raiseUpdated();

    int16_t bError_ = 0;
    std::string sLog_;
    CollectList TextTable{true};
    CollectList HashTable{true};
    std::array<std::string, 11> Ctrl;
    HandleLettersEvents* sink_ = nullptr;
};

}  // namespace wren
