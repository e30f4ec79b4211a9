#pragma once
// A buffer set on a real FileHandle with a scripted platform; echoed lines
// are collected from a console, files live in a fresh temporary folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "buffers/FileBuffer.h"
#include "services/ConsoleSink.h"
#include "services/FileHandle.h"
#include "services/FileStackGuard.h"
#include "support/FakePlatform.h"
#include "support/RecordingConsole.h"
#include "text/Autobank.h"
#include "text/TextKit.h"

namespace kestrel::test {

inline std::string hexDump(const std::string& data) {
    std::string out;
    for (char c : data) {
        textkit::appendHexPair(out, static_cast<uint8_t>(c));
        out += ' ';
    }
    return out;
}

class BufferFixture : public ::testing::Test {
protected:
    BufferFixture() : dir_(freshDir()), platform(dir_.string()), files(platform, "kestrel"), set(files, autobank) {
        files.setConsole(&console);
    }
    ~BufferFixture() override {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

    std::string path(const std::string& name) const { return (dir_ / name).string(); }

    bool logged(const std::string& line) const {
        return std::find(console.lines.begin(), console.lines.end(), line) != console.lines.end();
    }
    bool loggedContaining(const std::string& part) const {
        return std::any_of(console.lines.begin(), console.lines.end(),
                           [&](const std::string& l) { return l.find(part) != std::string::npos; });
    }

    static std::string slurp(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static void spit(const std::string& file, const std::string& data) {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(data.data(), static_cast<std::streamsize>(data.size()));
    }

    // Writes `which` as a new buffer file and returns the file's bytes.
    std::string save(FileBuffer& which, const std::string& name) {
        std::string file = path(name);
        {
            FileStackGuard opened(files.stack());
            if (!files.OpenFile(file, FileHandle::OpenMode::write)) ADD_FAILURE() << "cannot open " << file;
            which.writebuffer();
        }
        return slurp(path(name));
    }

    void load(FileBuffer& into, const std::string& name, const std::string& merge = "") {
        std::string file = path(name);
        FileStackGuard opened(files.stack());
        if (!files.OpenFile(file, FileHandle::OpenMode::read)) ADD_FAILURE() << "cannot open " << file;
        into.readbuffer(merge);
    }

    // Adds data under a label (empty name: no label) in buffer b.
    void put(FileBuffer& into, int b, const std::string& label, const std::string& data,
             const std::string& pointerList = "", int16_t mode = 3) {
        into.setInbuffer(static_cast<uint8_t>(b));
        into.setInname(label);
        into.setInmode(mode);
        into.add_Data(data, pointerList);
    }

private:
    static std::filesystem::path freshDir() {
        std::random_device random;
        auto dir = std::filesystem::temp_directory_path() /
                   ("kestrel-buffers-" + std::to_string(random()) + std::to_string(random()));
        std::filesystem::create_directories(dir);
        return dir;
    }

    std::filesystem::path dir_;

protected:
    FakePlatform platform;
    RecordingConsole console;
    FileHandle files;
    Autobank autobank;
    FileBuffer set;
};

}  // namespace kestrel::test
