#pragma once
// Changing an image all at once: the bytes go into a working copy beside the
// image, which replaces it in one step when every byte is written; until then
// the image keeps its old bytes, and a copy that is not committed is removed.
//
// The image may be a symbolic link: the file at the end of the link chain is
// replaced and the link stays. The working copy is a new file in that file's
// folder ("<file>.burning", or "<file>.burning<n>" while that name is taken);
// a file or link already there under the name is never followed or
// overwritten. The image is locked from the start to the commit, so two
// burns of one image cannot interleave: the second one fails.
#include <memory>
#include <string>

namespace kestrel {

class FileLock;
class Platform;

class ImageWorkingCopy {
public:
    // Locks `image` and copies it. BurnError when it is no writable regular
    // file or another burn holds it; FileError when the copy fails.
    ImageWorkingCopy(Platform& platform, const std::string& image);
    ~ImageWorkingCopy();
    ImageWorkingCopy(const ImageWorkingCopy&) = delete;
    ImageWorkingCopy& operator=(const ImageWorkingCopy&) = delete;

    // The image as the caller named it, the file replaced, and the copy.
    const std::string& image() const { return image_; }
    const std::string& realFile() const { return realFile_; }
    const std::string& path() const { return path_; }
    bool open() const { return !path_.empty(); }

    // Puts the working copy in place of the real file (FileError when it
    // cannot: the copy is then removed and the image keeps its old bytes).
    void commit();
    // Removes the working copy; the image keeps its old bytes.
    void discard();

    // The file a name ends at after following symbolic links (relative link
    // targets count from the link's folder). A name that is no link comes
    // back unchanged.
    static std::string followLinks(const std::string& name);
    // A spelling of the real file that is the same for every name of it.
    static std::string identity(const std::string& name);

private:
    Platform& platform_;
    std::string image_;
    std::string realFile_;
    std::string path_;
    std::unique_ptr<FileLock> lock_;
};

}  // namespace kestrel
