// The Intel HEX reader over text in memory: what every build of the program
// has, the page's WebAssembly included, which has no file system. It reads
// the text as a stream of bytes, one record at a time, and stores the data
// bytes into a memory image.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "memimage.h"

// A HEX file for a 16 KiB memory is far smaller; anything larger is refused.
inline constexpr std::uintmax_t kMaxHexFileBytes = 64u << 20;

enum class HexStatus {
    Ok,
    OpenFailed,       // the file cannot be opened; `reason` says why
    NotARegularFile,  // a folder, a FIFO, a terminal: not read at all
    TooLarge,         // over kMaxHexFileBytes: no HEX file for this board
    ReadFailed,       // reading failed part way; `reason` says why
    Checksum,         // a record's bytes do not sum to 0 modulo 256
    BadCharacter,     // a character that is no hexadecimal digit inside a record
    LineEndInRecord,  // the line ends before the record does
    UnexpectedEnd,    // the file ends inside a record
    NoRecordStart,    // something other than ':' where a record must start
    TrailingText,     // something after a record's checksum on the same line
    UnknownType,      // a record type other than 00 to 05
    BadLength,        // a control record with the wrong number of data bytes
    OutOfRange,       // a data byte whose address has no cell in the image
};

// What a load read, for a report of the file.
struct HexSummary {
    std::array<int, 6> records{};  // count of records of each type 00..05
    std::size_t dataBytes = 0;     // data bytes stored
    std::size_t windowBytes = 0;   // of them inside the memory window 0x3000-0x3FFF
    std::uint32_t lowest = 0;      // lowest and highest data address, when dataBytes > 0
    std::uint32_t highest = 0;

    // Whether the file had its end record. Compilers write it last: a file
    // without it may still be being written.
    bool HasEndRecord() const { return records[1] > 0; }
};

struct HexResult {
    HexStatus status = HexStatus::Ok;
    int line = 0;            // 1-based line of the failing record
    char character = '\0';   // the offending character
    int recordType = 0;      // for UnknownType and BadLength
    int length = 0;          // for BadLength: the record's data length
    std::uint32_t address = 0;  // for OutOfRange: the byte's effective address
    std::string reason;      // for OpenFailed and ReadFailed: the system's text
    HexSummary summary;      // what was read, up to the failure if any

    bool ok() const { return status == HexStatus::Ok; }
};

// Record types the reader knows.
enum class HexRecord : int {
    Data = 0x00,
    EndOfFile = 0x01,
    ExtendedSegmentAddress = 0x02,
    StartSegmentAddress = 0x03,
    ExtendedLinearAddress = 0x04,
    StartLinearAddress = 0x05,
};

// Loads HEX text into `image`. Cells the text does not name keep their
// values. On any failure `image` is left exactly as it was.
HexResult LoadHexText(std::string_view text, ImageCells& image);

// The same as the program loads every file: erase, then load. On success
// `image` holds the text's bytes and 255 in every cell it does not name; on
// any failure it is left exactly as it was.
HexResult EraseAndLoadHexText(std::string_view text, ImageCells& image);
