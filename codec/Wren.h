#pragma once
// Public face of the wren text codec library: two classes behind abstract
// interfaces, created by class identifier through one exported factory. The
// same classes can be exposed as an in-process COM server on Windows. Nothing
// here throws: errors are reported through bError, sLog and Updated.
#include <cstdint>
#include <string>

#if defined(_WIN32)
#  if defined(WREN_BUILDING)
#    define WREN_API __declspec(dllexport)
#  else
#    define WREN_API __declspec(dllimport)
#  endif
#else
#  define WREN_API __attribute__((visibility("default")))
#endif

namespace wren {

// Class identifiers by which kestrel creates the classes.
inline constexpr const char* kHandleLettersClsid = "{E2D31C50-DC2C-48ED-A123-1F21841D57C8}";
inline constexpr const char* kHandleWordsClsid = "{40CEEFB8-7657-4C2E-B8BE-B07990DEE3CB}";
inline constexpr const char* kHandleLettersIid = "{B3DC2DC8-E4EE-4310-BCB1-BB34FC66C915}";
inline constexpr const char* kHandleWordsIid = "{6EA6FE0D-E87E-4DD1-8F2C-82AC057972B3}";
inline constexpr const char* kHandleLettersEventsIid = "{2B076309-9625-43B7-9B77-AB67507D1954}";
inline constexpr const char* kTypeLibraryId = "{A44958E3-D472-4266-AA7D-7699B5DCBC23}";

// Base of every object the factory hands out; the caller releases it.
class WrenObject {
public:
    virtual void Release() = 0;

protected:
    virtual ~WrenObject() = default;
};

// Receiver of the Updated event (raised at the end of every encode/Decode).
class HandleLettersEvents {
public:
    virtual void Updated(std::string& Log, int16_t& errors) = 0;

protected:
    ~HandleLettersEvents() = default;
};

// Character codec: text table, code-name table and control markers.
class IHandleLetters : public WrenObject {
public:
    // method: "0"/"ctrl", "1"/"hash", "2"/"text" (anything else adds nothing).
    virtual void add(std::string& Value1, std::string& Value2, const std::string& method) = 0;
    virtual std::string encode(const std::string& phrase) = 0;
    virtual std::string Decode(const std::string& phrase) = 0;
    virtual int16_t bError() const = 0;
    virtual void setBError(int16_t value) = 0;
    virtual std::string sLog() const = 0;
    virtual void setSLog(const std::string& value) = 0;
    // One receiver at a time; nullptr detaches.
    virtual void advise(HandleLettersEvents* sink) = 0;
    // The text that encode turns into exactly `byte` whatever surrounds it:
    // the hex marker and two hexadecimal digits. "" when the tables define no
    // hex marker that encode reads (one that begins with the hash marker).
    virtual std::string hexForm(unsigned char byte) const = 0;
};

// Word table: parameter words of command lines and their values.
class IHandleWords : public WrenObject {
public:
    virtual void add(std::string& ValueA, std::string& ValueB, const std::string& LinkCommand = "") = 0;
    virtual void Remove(const std::string& value, int column) = 0;
    virtual std::string item(const std::string& value, int column) = 0;
    // Rewrites the parameter words of a command line (column 0: script to image).
    virtual std::string define(const std::string& phrase, uint8_t& column) = 0;
};

}  // namespace wren

// Creates the class named by `classId`; *object receives an IHandleLetters or
// IHandleWords (as WrenObject). Returns 0 on success, non-zero for an unknown id.
extern "C" WREN_API int WrenCreateInstance(const char* classId, wren::WrenObject** object);
