// The HEX reader's one pass over the records, over any source of bytes:
// text in memory or a file. Private to image/.
#pragma once

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>

#include "hex_reader.h"
#include "radix.h"

namespace hex_parser {

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

// One pass over the records. Data goes into `image`; the caller decides
// whether to keep it. Each step returns false once the load has failed, with
// the failure in `failure_`.
template <typename Source>
class Parser {
public:
    Parser(Source& source, ImageCells& image) : in_(source), image_(image) {}

    HexResult Run() {
        for (;;) {
            int c = SkipBlank(/*lineEnds=*/true);
            if (c == kEnd) return Done();  // a file without an end record loads what it holds
            bool endOfFile = false;
            if (c != ':') {
                Fail(HexStatus::NoRecordStart, c);
            } else if (Record(endOfFile) && !endOfFile) {
                c = SkipBlank(/*lineEnds=*/false);
                if (c == '\r' || c == '\n') {
                    EndLine(c);
                    continue;
                }
                if (c != kEnd) Fail(HexStatus::TrailingText, c);
            }
            return Done();
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

    // Reads two hexadecimal digits into `byte` and adds it to the sum.
    bool Byte(int& byte) {
        byte = 0;
        for (int i = 0; i < 2; ++i) {
            const int c = Next();
            if (c == kEnd) return Fail(HexStatus::UnexpectedEnd, c);
            if (c == '\r' || c == '\n') return Fail(HexStatus::LineEndInRecord, c);
            const int digit = DigitValue(static_cast<char>(c), 16);
            if (digit < 0) return Fail(HexStatus::BadCharacter, c);
            byte = byte * 16 + digit;
        }
        sum_ += byte;
        return true;
    }

    // One record after its ':'.
    bool Record(bool& endOfFile) {
        sum_ = 0;
        int count = 0, high = 0, low = 0, type = 0;
        if (!Byte(count) || !Byte(high) || !Byte(low) || !Byte(type)) return false;
        const auto address = static_cast<std::uint32_t>(high << 8 | low);
        std::uint8_t data[255];
        for (int k = 0; k < count; ++k) {
            int b = 0;
            if (!Byte(b)) return false;
            data[k] = static_cast<std::uint8_t>(b);
        }
        int checksum = 0;
        if (!Byte(checksum)) return false;
        if ((sum_ & 0xFF) != 0) return Fail(HexStatus::Checksum);

        HexSummary& summary = failure_.summary;
        if (type >= 0 && type < static_cast<int>(summary.records.size())) ++summary.records[type];
        switch (static_cast<HexRecord>(type)) {
            case HexRecord::Data:
                for (int k = 0; k < count; ++k) {
                    const std::uint64_t at = base_ + address + static_cast<std::uint32_t>(k);
                    if (at >= kImageCells) {
                        failure_.address = static_cast<std::uint32_t>(at);
                        return Fail(HexStatus::OutOfRange);
                    }
                    image_[at] = data[k];
                }
                if (count > 0) {
                    const auto first = static_cast<std::uint32_t>(base_ + address);
                    const auto last = first + static_cast<std::uint32_t>(count - 1);
                    summary.lowest = summary.dataBytes == 0 ? first : std::min(summary.lowest, first);
                    summary.highest = summary.dataBytes == 0 ? last : std::max(summary.highest, last);
                    summary.dataBytes += static_cast<std::size_t>(count);
                    const std::uint32_t from = std::max(first, kWindowBase);
                    const std::uint32_t to = std::min<std::uint32_t>(last, kWindowBase + kWindowCells - 1);
                    if (from <= to) summary.windowBytes += to - from + 1;
                }
                return true;
            case HexRecord::EndOfFile:
                if (count != 0) return BadLength(type, count);
                endOfFile = true;
                return true;
            case HexRecord::ExtendedSegmentAddress:
                if (count != 2) return BadLength(type, count);
                base_ = static_cast<std::uint64_t>(data[0] << 8 | data[1]) << 4;
                return true;
            case HexRecord::ExtendedLinearAddress:
                if (count != 2) return BadLength(type, count);
                base_ = static_cast<std::uint64_t>(data[0] << 8 | data[1]) << 16;
                return true;
            case HexRecord::StartSegmentAddress:
            case HexRecord::StartLinearAddress:
                // The start address means nothing to the board: checked, then ignored.
                if (count != 4) return BadLength(type, count);
                return true;
        }
        failure_.recordType = type;
        return Fail(HexStatus::UnknownType);
    }

    bool BadLength(int type, int count) {
        failure_.recordType = type;
        failure_.length = count;
        return Fail(HexStatus::BadLength);
    }

    // Notes the failure at the current line; always false.
    bool Fail(HexStatus status, int c = kEnd) {
        failure_.status = status;
        failure_.line = line_;
        failure_.character = c == kEnd ? '\0' : static_cast<char>(c);
        return false;
    }

    // The outcome: a read error outranks whatever the parser concluded from
    // the bytes it did get.
    HexResult Done() {
        if (in_.Failed()) {
            HexResult r;
            r.status = HexStatus::ReadFailed;
            r.line = line_;
            r.reason = std::strerror(in_.Error());
            return r;
        }
        return failure_;
    }

    static constexpr int kNone = -2;
    Source& in_;
    ImageCells& image_;
    HexResult failure_;  // Ok until a step fails
    int line_ = 1;
    int pending_ = kNone;  // a character read ahead after a lone CR
    int sum_ = 0;
    std::uint64_t base_ = 0;  // from the last type 02 or 04 record
};

// Loads into a copy of `start`, so that a failure leaves the image untouched.
template <typename Source>
HexResult LoadInto(Source& source, ImageCells& image, const ImageCells& start) {
    auto scratch = std::make_unique<ImageCells>(start);
    HexResult result = Parser<Source>(source, *scratch).Run();
    if (result.ok()) image = *scratch;
    return result;
}

}  // namespace hex_parser
