#include "hexfile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "radix.h"

namespace {

constexpr int kEnd = -1;

// Bytes of HEX text from memory.
class TextSource {
public:
    explicit TextSource(std::string_view text) : text_(text) {}
    int Get() {
        return pos_ < text_.size() ? static_cast<unsigned char>(text_[pos_++]) : kEnd;
    }
    bool Failed() const { return false; }
    int Error() const { return 0; }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

// Bytes of a file through stdio's buffer.
class FileSource {
public:
    explicit FileSource(std::FILE* file) : file_(file) {}
    int Get() {
        const int c = std::getc(file_);  // Returns the byte, or EOF at the end or on error.
        if (c == EOF && std::ferror(file_)) error_ = errno;
        return c == EOF ? kEnd : c;
    }
    bool Failed() const { return error_ != 0; }
    int Error() const { return error_; }

private:
    std::FILE* file_;
    int error_ = 0;
};

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

// One pass over the records. Data goes into `image`; the caller decides
// whether to keep it.
template <typename Source>
class Parser {
public:
    Parser(Source& source, ImageCells& image) : in_(source), image_(image) {}

    HexResult Run() {
        for (;;) {
            int c = SkipBlank(/*lineEnds=*/true);
            if (c == kEnd) return Done();  // a file without an end record loads what it holds
            if (c != ':') return Fail(HexStatus::NoRecordStart, c);
            bool endOfFile = false;
            if (HexResult r = Record(endOfFile); !r.ok()) return r;
            if (endOfFile) return Done();
            c = SkipBlank(/*lineEnds=*/false);
            if (c == kEnd) return Done();
            if (c != '\r' && c != '\n') return Fail(HexStatus::TrailingText, c);
            EndLine(c);
        }
    }

private:
    // Skips spaces and tabs, and line ends too when asked; returns the first
    // other character (consumed) or kEnd.
    int SkipBlank(bool lineEnds) {
        for (;;) {
            const int c = Next();
            if (c == ' ' || c == '\t') continue;
            if (lineEnds && (c == '\r' || c == '\n')) {
                EndLine(c);
                continue;
            }
            return c;
        }
    }

    // Counts one line end: LF, CR LF or a lone CR.
    void EndLine(int c) {
        ++line_;
        if (c == '\r') {
            const int after = Next();
            if (after != '\n') pending_ = after;
        }
    }

    int Next() {
        if (pending_ != kNone) {
            const int c = pending_;
            pending_ = kNone;
            return c;
        }
        return in_.Get();
    }

    // Reads two hexadecimal digits into `byte`.
    HexResult Byte(int& byte) {
        char digits[2];
        for (char& d : digits) {
            const int c = Next();
            if (c == kEnd) return Fail(HexStatus::UnexpectedEnd, c);
            if (c == '\r' || c == '\n') return Fail(HexStatus::LineEndInRecord, c);
            if (DigitValue(static_cast<char>(c), 16) < 0) return Fail(HexStatus::BadCharacter, c);
            d = static_cast<char>(c);
        }
        byte = BaseStrToInt(16, std::string_view(digits, 2));
        sum_ += byte;
        return {};
    }

    // One record after its ':'.
    HexResult Record(bool& endOfFile) {
        sum_ = 0;
        int count = 0, high = 0, low = 0, type = 0;
        for (int* field : {&count, &high, &low, &type}) {
            if (HexResult r = Byte(*field); !r.ok()) return r;
        }
        const std::uint32_t address = static_cast<std::uint32_t>(high << 8 | low);
        std::uint8_t data[255];
        for (int k = 0; k < count; ++k) {
            int b = 0;
            if (HexResult r = Byte(b); !r.ok()) return r;
            data[k] = static_cast<std::uint8_t>(b);
        }
        int checksum = 0;
        if (HexResult r = Byte(checksum); !r.ok()) return r;
        if ((sum_ & 0xFF) != 0) return Fail(HexStatus::Checksum);

        switch (static_cast<HexRecord>(type)) {
            case HexRecord::Data:
                for (int k = 0; k < count; ++k) {
                    const std::uint64_t at = base_ + address + static_cast<std::uint32_t>(k);
                    if (at >= kImageCells) {
                        HexResult r = Fail(HexStatus::OutOfRange);
                        r.address = static_cast<std::uint32_t>(at);
                        return r;
                    }
                    image_[at] = data[k];
                }
                return {};
            case HexRecord::EndOfFile:
                if (count != 0) return BadLength(type, count);
                endOfFile = true;
                return {};
            case HexRecord::ExtendedSegmentAddress:
                if (count != 2) return BadLength(type, count);
                base_ = static_cast<std::uint64_t>(data[0] << 8 | data[1]) << 4;
                return {};
            case HexRecord::ExtendedLinearAddress:
                if (count != 2) return BadLength(type, count);
                base_ = static_cast<std::uint64_t>(data[0] << 8 | data[1]) << 16;
                return {};
            case HexRecord::StartSegmentAddress:
            case HexRecord::StartLinearAddress:
                // The start address means nothing to the board: checked, then ignored.
                if (count != 4) return BadLength(type, count);
                return {};
        }
        HexResult r = Fail(HexStatus::UnknownType);
        r.recordType = type;
        return r;
    }

    HexResult BadLength(int type, int count) {
        HexResult r = Fail(HexStatus::BadLength);
        r.recordType = type;
        r.length = count;
        return r;
    }

    HexResult Fail(HexStatus status, int c = kEnd) {
        if (in_.Failed()) return ReadError();
        HexResult r;
        r.status = status;
        r.line = line_;
        r.character = c == kEnd ? '\0' : static_cast<char>(c);
        return r;
    }

    HexResult Done() {
        if (in_.Failed()) return ReadError();
        return {};
    }

    HexResult ReadError() {
        HexResult r;
        r.status = HexStatus::ReadFailed;
        r.line = line_;
        r.reason = std::strerror(in_.Error());
        return r;
    }

    static constexpr int kNone = -2;
    Source& in_;
    ImageCells& image_;
    int line_ = 1;
    int pending_ = kNone;  // a character read ahead after a lone CR
    int sum_ = 0;
    std::uint64_t base_ = 0;  // from the last type 02 or 04 record
};

template <typename Source>
HexResult LoadInto(Source& source, ImageCells& image) {
    // Load into a copy, so that a failure leaves the image untouched.
    auto scratch = std::make_unique<ImageCells>(image);
    HexResult result = Parser<Source>(source, *scratch).Run();
    if (result.ok()) image = *scratch;
    return result;
}

}  // namespace

HexResult LoadHexText(std::string_view text, ImageCells& image) {
    TextSource source(text);
    return LoadInto(source, image);
}

HexResult LoadHexFile(const std::string& path, ImageCells& image) {
    errno = 0;
    // Returns the stream, or NULL with errno set.
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        HexResult r;
        r.status = HexStatus::OpenFailed;
        r.reason = std::strerror(errno);
        return r;
    }
    FileSource source(file.get());
    return LoadInto(source, image);
}
