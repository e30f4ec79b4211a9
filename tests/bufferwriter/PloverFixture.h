#pragma once
// The buffer writer's model on a scripted platform, in a fresh temporary
// folder, with helpers that write buffer files and images.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "bufferwriter/BufList.h"
#include "buffers/FileBuffer.h"
#include "services/FileHandle.h"
#include "support/FakePlatform.h"
#include "text/Autobank.h"

namespace kestrel::test {

// One label of a buffer file to write: its buffer, name, bytes and pointers
// (target,position,kind triples, positions inside `data`).
struct LabelSpec {
    LabelSpec(int b, std::string n, std::string d, std::string p = "")
        : buffer(b), name(std::move(n)), data(std::move(d)), pointers(std::move(p)) {}
    int buffer;
    std::string name;
    std::string data;
    std::string pointers;
};

// A scripted platform that can run a hook inside a box, as a window's
// message loop would dispatch a forwarded request while a box is shown.
class HookPlatform : public FakePlatform {
public:
    using FakePlatform::FakePlatform;
    std::function<void()> hook;

    void messageBox(const std::string& text, const std::string& title) override {
        runHook();
        FakePlatform::messageBox(text, title);
    }
    bool askYesNo(const std::string& text, const std::string& title) override {
        runHook();
        return FakePlatform::askYesNo(text, title);
    }
    std::optional<std::string> inputBox(const std::string& prompt, const std::string& title) override {
        runHook();
        return FakePlatform::inputBox(prompt, title);
    }

private:
    void runHook() {
        if (!hook) return;
        auto once = std::move(hook);
        hook = nullptr;
        once();
    }
};

class PloverFixture : public ::testing::Test {
protected:
    PloverFixture() : dir_(freshDir()), platform(dir_.string()) { setAutobank(true); }
    ~PloverFixture() override {
        list_.reset();
        setAutobank(true);
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

    BufList& list() {
        if (!list_) list_ = std::make_unique<BufList>(platform);
        return *list_;
    }

    std::string path(const std::string& name) const { return (dir_ / name).string(); }

    static std::string slurp(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static void spit(const std::string& file, const std::string& data) {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(data.data(), static_cast<std::streamsize>(data.size()));
    }

    // Writes a buffer file the way the compiler does; returns its path.
    std::string writeBuf(const std::string& name, const std::vector<LabelSpec>& labels,
                         const std::string& comment = "") {
        FileHandle files(platform, "kestrel");
        FileBuffer set(files);
        for (const LabelSpec& label : labels) {
            set.setInbuffer(static_cast<uint8_t>(label.buffer));
            set.setInname(label.name);
            set.setInmode(3);
            set.add_Data(label.data, label.pointers);
        }
        if (!comment.empty()) set.setBuffer(FileBuffer::kCommentSlot, comment);
        std::string file = path(name);
        std::filesystem::remove(file);
        if (files.OpenFile(file, "write").empty()) ADD_FAILURE() << "cannot write " << file;
        set.writebuffer();
        files.closefile();
        return path(name);
    }

    // An image of `size` bytes of `fill`.
    std::string writeImage(const std::string& name, std::size_t size, char fill = '\xFF') {
        spit(path(name), std::string(size, fill));
        return path(name);
    }

    std::vector<std::string> texts() {
        std::vector<std::string> out;
        for (const auto& entry : list().offsetts()) out.push_back(entry.text());
        return out;
    }

    bool logged(const std::string& part) { return list().log().find(part) != std::string::npos; }

private:
    static std::filesystem::path freshDir() {
        std::random_device random;
        auto dir = std::filesystem::temp_directory_path() /
                   ("kestrel-plover-" + std::to_string(random()) + std::to_string(random()));
        std::filesystem::create_directories(dir);
        return dir;
    }

    std::filesystem::path dir_;

protected:
    HookPlatform platform;

private:
    std::unique_ptr<BufList> list_;
};

} // namespace kestrel::test
