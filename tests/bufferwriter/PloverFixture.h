#pragma once
// The buffer writer's model on the scripted platform of the buffer tests, in
// their fresh temporary folder, with helpers that write buffer files and images.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "buffers/BufferFixture.h"
#include "bufferwriter/BufList.h"

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

class PloverFixture : public BufferFixture {
protected:
    ~PloverFixture() override { list_.reset(); }

    BufList& list() {
        if (!list_) list_ = std::make_unique<BufList>(platform);
        return *list_;
    }

    // Writes a buffer file the way the compiler does; returns its path.
    std::string writeBuf(const std::string& name, const std::vector<LabelSpec>& labels,
                         const std::string& comment = "") {
        FileBuffer fresh(files, autobank);
        for (const LabelSpec& label : labels) put(fresh, label.buffer, label.name, label.data, label.pointers);
        if (!comment.empty()) fresh.setBuffer(FileBuffer::kCommentSlot, comment);
        save(fresh, name);
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
    std::unique_ptr<BufList> list_;
};

}  // namespace kestrel::test
