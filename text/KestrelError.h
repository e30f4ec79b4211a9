#pragma once
// Typed runtime errors raised by the primitives. The engine catches them per
// statement, reports "<file>:<line>: <message>" and goes on. ProgramExit is
// deliberately not a std::exception: nothing but the program's main may
// swallow it.
#include <stdexcept>
#include <string>

namespace kestrel {

class KestrelError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An index outside its range (tokenizer slot past 15, buffer slot past 16...).
class OutOfRangeError : public KestrelError {
public:
    explicit OutOfRangeError(const std::string& what) : KestrelError("out of range: " + what) {}
};

// A number that does not fit the integer type it is rounded to.
class OverflowError : public KestrelError {
public:
    explicit OverflowError(const std::string& what) : KestrelError("overflow: " + what) {}
};

// A text that strict conversion cannot read as a number.
class TypeMismatchError : public KestrelError {
public:
    explicit TypeMismatchError(const std::string& what) : KestrelError("type mismatch: " + what) {}
};

// A key added twice to a keyed collection.
class DuplicateKeyError : public KestrelError {
public:
    explicit DuplicateKeyError(const std::string& key) : KestrelError("duplicate key: " + key) {}
};

// A key looked up that a keyed collection does not hold.
class MissingKeyError : public KestrelError {
public:
    explicit MissingKeyError(const std::string& key) : KestrelError("missing key: " + key) {}
};

// Malformed input data (a truncated buffer file, a bad record...).
class FormatError : public KestrelError {
public:
    explicit FormatError(const std::string& what) : KestrelError(what) {}
};

// An error after which kestrel cannot go on: its engine shows the
// critical-error box with the text and ends with status 2. A window program
// shows the text and carries on.
class CriticalError : public KestrelError {
public:
    using KestrelError::KestrelError;
};

// A pointer whose address nobody could give, or whose value is 0.
class FloatingPointerError : public CriticalError {
public:
    explicit FloatingPointerError(std::string pointer)
        : CriticalError("Floating Pointers Must Be Pushed"), pointer_(std::move(pointer)) {}
    const std::string& pointer() const { return pointer_; }

private:
    std::string pointer_;
};

// Data for a buffer slot that holds something other than bytes.
class SlotKindError : public CriticalError {
public:
    using CriticalError::CriticalError;
};

// A burn that cannot be carried out (an address the image cannot take, an
// image that cannot be written); the image keeps its old bytes.
class BurnError : public KestrelError {
public:
    using KestrelError::KestrelError;
};

// A file operation the system refused (creating, locking, replacing a file).
class FileError : public KestrelError {
public:
    using KestrelError::KestrelError;
};

// Ends the program with a status; thrown by the platform after a critical
// error box and by the `exit` directive, caught only by main.
struct ProgramExit {
    int status;
};

}  // namespace kestrel
