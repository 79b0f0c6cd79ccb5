#include "hexfile.h"

#include <cerrno>
#include <cstdio>
#include <memory>

#include "hex_parser.h"
#include "hexfile_open.h"

namespace {

using hex_parser::kEnd;

// Bytes of a file, read a block at a time.
class FileSource {
public:
    explicit FileSource(std::FILE* file) : file_(file) {}
    int Get() {
        if (pos_ == end_ && !Refill()) return kEnd;
        return static_cast<unsigned char>(buffer_[pos_++]);
    }
    bool Failed() const { return error_ != 0; }
    int Error() const { return error_; }

private:
    bool Refill() {
        // Returns the count read; short at the end of the file or on an error.
        end_ = std::fread(buffer_, 1, sizeof buffer_, file_);
        pos_ = 0;
        if (end_ == 0 && std::ferror(file_)) error_ = errno != 0 ? errno : EIO;
        return end_ != 0;
    }

    std::FILE* file_;
    char buffer_[16384];
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    int error_ = 0;
};

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

HexResult LoadFileInto(const std::filesystem::path& path, ImageCells& image, const ImageCells& start) {
    HexResult failed;
    std::unique_ptr<std::FILE, FileCloser> file(OpenHexFile(path, failed.status, failed.reason));
    if (!file) return failed;
    FileSource source(file.get());
    return hex_parser::LoadInto(source, image, start);
}

}  // namespace

HexResult LoadHexFile(const std::filesystem::path& path, ImageCells& image) {
    return LoadFileInto(path, image, image);
}

HexResult EraseAndLoadHexFile(const std::filesystem::path& path, ImageCells& image) {
    static constexpr ImageCells kErased = ErasedImage();
    return LoadFileInto(path, image, kErased);
}
