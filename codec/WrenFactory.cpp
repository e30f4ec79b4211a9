// The one exported entry point: creates wren's classes by class identifier.
#include <new>
#include <string>
#include <string_view>

#include "codec/HandleLetters.h"
#include "codec/HandleWords.h"
#include "codec/Wren.h"
#include "text/TextKit.h"

namespace {

// Identifiers are matched without regard to case, with or without braces.
std::string normalisedId(std::string_view id) {
    if (id.size() >= 2 && id.front() == '{' && id.back() == '}') id = id.substr(1, id.size() - 2);
    return kestrel::textkit::lower(id);
}

bool sameId(const std::string& normalised, const char* known) { return normalised == normalisedId(known); }

}  // namespace

extern "C" WREN_API int WrenCreateInstance(const char* classId, wren::WrenObject** object) {
    if (object == nullptr) return 1;
    *object = nullptr;
    if (classId == nullptr) return 1;
    try {
        const std::string id = normalisedId(classId);
        if (sameId(id, wren::kHandleLettersClsid) || id == "wren.handleletters") {
            *object = new wren::HandleLetters();
            return 0;
        }
        if (sameId(id, wren::kHandleWordsClsid) || id == "wren.handlewords") {
            *object = new wren::HandleWords();
            return 0;
        }
        return 1;
    } catch (...) {
        return 2;
    }
}
