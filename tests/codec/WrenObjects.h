#pragma once
// Creates wren's classes the way kestrel does: through the exported factory.
#include <memory>

#include <gtest/gtest.h>

#include "codec/Wren.h"

namespace wren::test {

struct Releaser {
    void operator()(WrenObject* object) const {
        if (object != nullptr) object->Release();
    }
};

template <typename Interface>
using Handle = std::unique_ptr<Interface, Releaser>;

template <typename Interface>
Handle<Interface> create(const char* classId) {
    WrenObject* object = nullptr;
    EXPECT_EQ(WrenCreateInstance(classId, &object), 0) << classId;
    return Handle<Interface>(static_cast<Interface*>(object));
}

inline Handle<IHandleLetters> newLetters() { return create<IHandleLetters>(kHandleLettersClsid); }

inline Handle<IHandleWords> newWords() { return create<IHandleWords>(kHandleWordsClsid); }

}  // namespace wren::test
