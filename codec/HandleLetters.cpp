#include "codec/HandleLetters.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <new>

#include "text/KestrelError.h"
#include "text/Numeric.h"
#include "text/TextKit.h"

namespace wren {

namespace {

namespace numeric = kestrel::numeric;
namespace textkit = kestrel::textkit;

// Both directions stop after this many characters.
constexpr std::size_t kMaxPhrase = 511;

const char* const kNotTranslatable = "Softcode Error: Not Translatable Value";
const char* const kEncodeTooLarge = "ERROR: String Too Large. Encode of string Stopped.";
const char* const kInvalidCharacters = "Error: Invalid Characters Detected";
const char* const kDecodeTooLarge = "Error: String to large. Encode of string Stopped.";

enum class Method { Ctrl, Hash, Text, None };

Method methodOf(const std::string& method) {
    const std::string word = textkit::lower(method);
    if (word == "ctrl" || word == "0") return Method::Ctrl;
    if (word == "hash" || word == "1") return Method::Hash;
    if (word == "text" || word == "2") return Method::Text;
    return Method::None;
}

std::size_t markerSlot(const std::string& name) {
    static const char* const names[] = {"hash", "start", "end", "hex", "var", "finish"};
    const std::string word = textkit::lower(name);
    for (std::size_t slot = 0; slot < 6; ++slot) {
        if (word == names[slot] || word == std::to_string(slot)) return slot;
    }
    return 0;
}

}  // namespace

HandleLetters::HandleLetters() = default;

void HandleLetters::Release() { delete this; }

bool HandleLetters::isMarker(char c, Marker marker) const {
    const std::string& text = Ctrl[marker];
    return text.size() == 1 && text[0] == c;
}

void HandleLetters::prependLog(const std::string& message) {
    sLog_ = sLog_.empty() ? message : message + "\n" + sLog_;
    bError_ = 1;
}

void HandleLetters::recordFailure(const std::exception* error) {
    try {
        if (dynamic_cast<const std::bad_alloc*>(error) != nullptr) {
            prependLog("Error: Out of memory");
        } else {
            prependLog(std::string("Error: ") + (error != nullptr ? error->what() : "Unexpected failure"));
        }
    } catch (...) {
        bError_ = 1;
    }
}

void HandleLetters::raiseUpdated() {
    if (sink_ != nullptr) sink_->Updated(sLog_, bError_);
}

void HandleLetters::add(std::string& Value1, std::string& Value2, const std::string& method) {
    try {
        switch (methodOf(method)) {
        case Method::Ctrl: Ctrl[markerSlot(Value2)] = textkit::lower(Value1); break;
        case Method::Hash: {
            const auto code = static_cast<uint16_t>(numeric::toInt16(numeric::read(Value2)));
            // Two digits at least, so that codes below 16 meet the code form
            // of a byte when decoding.
            HashTable.add(textkit::lower(Value1), "&H" + textkit::upperHex(code, 2), 0);
            break;
        }
        case Method::Text: TextTable.add(Value1, Value2, 0); break;
        case Method::None: break;
        }
    } catch (const kestrel::OverflowError&) {
        try {
            prependLog("Error: Code Value Out Of Range: " + Value2);
        } catch (...) {
            bError_ = 1;
        }
    } catch (const std::exception& error) {
        recordFailure(&error);
    } catch (...) {
        recordFailure(nullptr);
    }
}

bool HandleLetters::appendCode(std::string& out, const std::string& code) const {
    if (!code.empty()) {
        const double value = numeric::read(code);
        if (value >= 0 && value <= 255 && value == std::floor(value)) {
            out += static_cast<char>(static_cast<unsigned char>(value));
            return true;
        }
    }
    out += '\0';
    return false;
}

// Runs one conversion so that nothing escapes the library: a failure is
// recorded in bError and sLog and gives an empty result; Updated is raised
// either way.
template <class Body>
std::string HandleLetters::guarded(Body body) {
    std::string out;
    try {
        body(out);
    } catch (const std::exception& error) {
        recordFailure(&error);
        out.clear();
    } catch (...) {
        recordFailure(nullptr);
        out.clear();
    }
    try {
        raiseUpdated();
    } catch (...) {
    }
    return out;
}

std::string HandleLetters::encode(const std::string& phrase) {
    return guarded([&](std::string& out) {
        const std::string S = phrase + Ctrl[kFinish];
        out.reserve(S.size());
        bool failed = false;
        std::size_t i = 0;
        // The limit counts produced characters: a code name of several
        // characters gives one.
        while (i < S.size() && out.size() < kMaxPhrase) {
            const char c = S[i];
            if (isMarker(c, kHash)) {
                const std::string T = S.substr(i, 2);
                if (!Ctrl[kHex].empty() && T == Ctrl[kHex]) {
                    const std::string digits = S.substr(i + 2, 2);
                    uint64_t value = 0;
                    if (digits.size() == 2 && textkit::hexValue(digits, value)) {
                        out += static_cast<char>(static_cast<unsigned char>(value));
                    } else {
                        out += '\0';
                        failed = true;
                    }
                    i = std::min(i + 4, S.size());
                } else {
                    failed |= !appendCode(out, HashTable.item(T, 0));
                    i += T.size();
                }
                continue;
            }
            if (isMarker(c, kStart) && !Ctrl[kEnd].empty()) {
                const std::size_t end = S.find(Ctrl[kEnd], i + 1);
                if (end != std::string::npos) {
                    const std::size_t next = end + Ctrl[kEnd].size();
                    failed |= !appendCode(out, HashTable.item(S.substr(i, next - i), 0));
                    i = next;
                    continue;
                }
                // Without an end marker the start marker is an ordinary character.
            }
            const std::string letter = TextTable.item(std::string(1, c), 0);
            // An untranslatable character is dropped; the next one is still read.
            if (letter.empty()) failed = true;
            out += letter;
            ++i;
        }
        if (failed) prependLog(kNotTranslatable);
        if (i < S.size()) {
            prependLog(kEncodeTooLarge);
            out.append(S, i, std::string::npos);
        }
    });
}

std::string HandleLetters::hexForm(unsigned char byte) const {
    const std::string& marker = Ctrl[kHex];
    // encode reads the hex form only where the hash marker starts a two-character marker.
    if (marker.size() != 2 || !isMarker(marker[0], kHash)) return {};
    return marker + textkit::upperHex(byte, 2);
}

std::string HandleLetters::Decode(const std::string& phrase) {
    return guarded([&](std::string& out) {
        bool rawNext = false;
        const std::size_t stop = std::min(phrase.size(), kMaxPhrase);
        for (std::size_t i = 0; i < stop; ++i) {
            const std::string c(1, phrase[i]);
            std::string name = HashTable.item(c, 1);
            if (name.empty()) {
                if (!rawNext) {
                    const std::string letter = TextTable.item(c, 1);
                    if (letter.empty()) {
                        sLog_ = kInvalidCharacters;
                        bError_ = 1;
                    }
                    out += letter;
                    continue;
                }
                // Two digits always: the hex escape of encode reads exactly two.
                name = Ctrl[kHex] + textkit::upperHex(static_cast<unsigned char>(phrase[i]), 2);
            }
            rawNext = !Ctrl[kVar].empty() && textkit::lower(name) == Ctrl[kVar];
            out += name;
        }
        if (phrase.size() > kMaxPhrase) {
            sLog_ = kDecodeTooLarge;
            bError_ = 1;
        }
    });
}

}  // namespace wren
