#pragma once
// The word table as the core knows it (wren::IHandleWords), over a
// Wren.HandleWords object created through COM.
#include "codec/Wren.h"
#include "codec/com/WrenTypes.h"

namespace kestrel {

class WrenComWords final : public wren::IHandleWords {
public:
    // Takes over the reference to `object`.
    explicit WrenComWords(_HandleWords* object) : object_(object) {}

    void Release() override;
    void add(std::string& ValueA, std::string& ValueB, const std::string& LinkCommand = "") override;
    void Remove(const std::string& value, int column) override;
    std::string item(const std::string& value, int column) override;
    std::string define(const std::string& phrase, uint8_t& column) override;

private:
    ~WrenComWords() override { object_->Release(); }

    _HandleWords* object_;
};

}  // namespace kestrel
