// A file that only ever grows by whole blocks: each appended in one write,
// and one that the disk takes only in part taken back, so that no half
// block is left for the next one to be glued onto. For the programming
// report, which a run appends a row to as each board ends. One
// implementation per platform.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

class AppendFile {
public:
    // Opens `path` for appending, making it when it does not exist. On
    // failure nothing is open and `error` has the system's text for why.
    static AppendFile Open(const std::filesystem::path& path, std::string& error);

    AppendFile();
    AppendFile(AppendFile&&) noexcept;
    AppendFile& operator=(AppendFile&&) noexcept;
    ~AppendFile();

    bool IsOpen() const;
    // The file's size now, or 0 when it cannot be told.
    std::uintmax_t Size() const;
    // Up to `bytes` from the file's start.
    std::string Head(std::size_t bytes) const;
    // The file's last byte, or '\0' for an empty file.
    char Last() const;
    // Appends `block` at the file's end in one write. False, with the
    // system's text for why in `error`, when it could not be written whole;
    // what the disk took of it is taken back.
    bool Append(std::string_view block, std::string& error);

private:
    struct Native;
    std::unique_ptr<Native> native_;
};
