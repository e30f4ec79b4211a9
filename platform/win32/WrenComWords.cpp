#include "platform/win32/WrenComWords.h"

#include "platform/win32/Bstr.h"
#include "platform/win32/ComCall.h"

namespace kestrel {

void WrenComWords::Release() { delete this; }

void WrenComWords::add(std::string& ValueA, std::string& ValueB, const std::string& LinkCommand) {
    Bstr first(ValueA), second(ValueB), link(LinkCommand);
    VARIANT linkWord;
    VariantInit(&linkWord);
    linkWord.vt = VT_BSTR;
    linkWord.bstrVal = link.get();
    ComCall::check(object_->add(first.slot(), second.slot(), linkWord), "add");
    ValueA = first.bytes();
    ValueB = second.bytes();
}

void WrenComWords::Remove(const std::string& value, int column) {
    Bstr key(value);
    ComCall::check(object_->Remove(key.get(), static_cast<short>(column)), "Remove");
}

std::string WrenComWords::item(const std::string& value, int column) {
    Bstr key(value), out;
    ComCall::check(object_->item(key.get(), static_cast<short>(column), out.slot()), "item");
    return out.bytes();
}

std::string WrenComWords::define(const std::string& phrase, uint8_t& column) {
    Bstr in(phrase), out;
    unsigned char chosen = column;
    ComCall::check(object_->define(in.get(), &chosen, out.slot()), "define");
    column = chosen;
    return out.bytes();
}

}  // namespace kestrel
