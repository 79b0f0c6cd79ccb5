// The page's WebAssembly core: the program's own HEX reader, memory image,
// grid texts, programming stream and texts (Czech and English) behind a plain C
// interface, so that the page writes none of them again. Strings cross it
// as UTF-8 in the module's memory; one that is returned stays valid until
// the next call that returns a string. Nothing throws across it.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "adapter_rules.h"
#include "grid_layout.h"
#include "hex_reader.h"
#include "memimage.h"
#include "messages.h"
#include "port_list.h"
#include "texts.h"
#include "transfer.h"

#define KTQ_EXPORT(name) extern "C" __attribute__((export_name(#name)))

namespace {

// The grid's texts, as the window's grid holds them.
class PageGrid : public GridCells {
public:
    void SetCell(int column, int row, std::string_view text) override {
        cells_[static_cast<std::size_t>(row * kGridColumns + column)] = text;
    }
    const std::string& Cell(int column, int row) const {
        return cells_[static_cast<std::size_t>(row * kGridColumns + column)];
    }

private:
    std::array<std::string, static_cast<std::size_t>(kGridColumns* kGridRows)> cells_;
};

PageGrid grid;
HexResult lastLoad;
ProgrammingStream stream;
std::string returned;

const char* Give(std::string text) {
    returned = std::move(text);
    return returned.c_str();
}

// The page's names for why a port failed, as the program's causes.
PortCause CauseNamed(std::string_view name) {
    if (name == "gone") return PortCause::Gone;
    if (name == "in-use") return PortCause::InUse;
    if (name == "timed-out") return PortCause::TimedOut;
    if (name == "no-device") return PortCause::NoDevice;
    if (name == "no-permission") return PortCause::NoPermission;
    return PortCause::Other;
}

// A fixed text by the page's name for it; empty for a name it does not know.
std::string_view TextNamed(std::string_view name) {
    // Keys, not texts: the language can change while the page is open.
    static constexpr struct {
        std::string_view name;
        std::string_view TextTable::*text;
    } kTexts[] = {
        {"window-title", &TextTable::kWindowTitle},         {"page-title", &TextTable::kWebTitle},
        {"open", &TextTable::kMenuOtevrit},                 {"program", &TextTable::kMenuProgramuj},
        {"program-all", &TextTable::kMenuProgramujVse},     {"choose-adapter", &TextTable::kWebChooseAdapter},
        {"grid", &TextTable::kGridHint},                    {"yes", &TextTable::kButtonYes},
        {"no", &TextTable::kButtonNo},                      {"ok", &TextTable::kButtonOk},
        {"programming", &TextTable::kProgramming},          {"confirm", &TextTable::kConfirmProgramming},
        {"cancelled", &TextTable::kProgrammingCancelled},   {"done", &TextTable::kProgrammingDone},
        {"no-adapter", &TextTable::kWebNoAdapter},          {"adapter", &TextTable::kWebAdapter},
        {"adapters", &TextTable::kWebAdapters},             {"drop-hint", &TextTable::kWebDropHint},
        {"unplugged", &TextTable::kWebAdapterUnplugged},    {"back", &TextTable::kWebAdapterBack},
        {"no-web-serial", &TextTable::kWebNoWebSerial},     {"insecure", &TextTable::kWebInsecure},
        {"offline", &TextTable::kWebOffline},               {"drop-one-file", &TextTable::kWebDropOneFile},
        {"serial-port", &TextTable::kWebSerialPort},        {"adapter-number", &TextTable::kWebAdapterNumber},
        {"chooser-refused", &TextTable::kWebChooserRefused},
        {"column-port", &TextTable::kColumnPort},           {"column-progress", &TextTable::kColumnProgress},
        {"column-result", &TextTable::kColumnResult},       {"class-set-title", &TextTable::kClassSetTitle},
        {"language", &TextTable::kMenuJazyk},               {"language-cs", &TextTable::kLanguageCzech},
        {"language-en", &TextTable::kLanguageEnglish},
    };
    for (const auto& entry : kTexts) {
        if (entry.name == name) return Text().*entry.text;
    }
    return {};
}

}  // namespace

// The language of every text from now on: "cs" or "en". 1 when it is one of
// them; else nothing changes and 0.
KTQ_EXPORT(ktq_set_language) int ktq_set_language(const char* code) {
    const std::optional<Language> language = LanguageNamed(code);
    if (language) SetLanguage(*language);
    return language ? 1 : 0;
}

// Memory for the page to pass text and bytes in.
KTQ_EXPORT(ktq_alloc) void* ktq_alloc(std::size_t bytes) {
    return std::malloc(bytes != 0 ? bytes : 1);
}
KTQ_EXPORT(ktq_free) void ktq_free(void* memory) {
    std::free(memory);
}

// The window at its start: the image erased, the grid labelled, every byte FF.
KTQ_EXPORT(ktq_start) void ktq_start() {
    MemImage = ErasedImage();
    LabelGrid(grid);
}

// Loads the `bytes` of HEX text at `text` as Otevřít loads a file: erase,
// then load. 1 on success; 0 when it cannot be loaded, and then the image
// and the grid stay as they were and ktq_open_message says why.
KTQ_EXPORT(ktq_open) int ktq_open(const char* text, std::size_t bytes) {
    lastLoad = EraseAndLoadHexText(std::string_view(text, bytes), MemImage);
    if (lastLoad.ok()) RefreshGrid(grid);
    return lastLoad.ok() ? 1 : 0;
}

// The largest file ktq_open is given; a larger one is refused unread.
KTQ_EXPORT(ktq_max_file_bytes) double ktq_max_file_bytes() {
    return static_cast<double>(kMaxHexFileBytes);
}

// A file the page could not hand to ktq_open: `why` "too-large" (over
// ktq_max_file_bytes) or "read-failed" with the browser's `reason`. Nothing
// changes; ktq_open_message then says it as the window says it.
KTQ_EXPORT(ktq_refuse_file) void ktq_refuse_file(const char* why, const char* reason) {
    lastLoad = HexResult{};
    lastLoad.status = std::string_view(why) == "too-large" ? HexStatus::TooLarge : HexStatus::ReadFailed;
    lastLoad.reason = reason;
}

// Why the last ktq_open failed, as the window says it for `file`.
KTQ_EXPORT(ktq_open_message) const char* ktq_open_message(const char* file) {
    return Give(HexLoadMessage(lastLoad, file));
}

// The text of a grid cell: column 0 the row's address, 1..16 its bytes.
KTQ_EXPORT(ktq_cell) const char* ktq_cell(int column, int row) {
    if (column < 0 || column >= kGridColumns || row < 0 || row >= kGridRows) return "";
    return grid.Cell(column, row).c_str();
}

// A grid cell as a screen reader names it: a byte cell (column 1..16) its
// address and value ("3015: 0A"), the address column its row's address.
KTQ_EXPORT(ktq_cell_name) const char* ktq_cell_name(int column, int row) {
    if (row < 0 || row >= kGridRows) return "";
    if (column < 1 || column >= kGridColumns) column = 0;
    return Give(GridCellName(column, row, grid.Cell(column, row)));
}

// The header of a grid column: the address column's name, then the byte
// columns by the last digit of their address, 0 … F.
KTQ_EXPORT(ktq_column_header) const char* ktq_column_header(int column) {
    return Give(GridColumnHeader(column));
}

// The 16384 bytes that go to the board for the image as it is now.
KTQ_EXPORT(ktq_stream) const std::uint8_t* ktq_stream() {
    stream = MakeProgrammingStream(MemImage);
    return stream.data();
}
KTQ_EXPORT(ktq_stream_bytes) std::size_t ktq_stream_bytes() {
    return kStreamBytes;
}

// The longest a transfer may take, in milliseconds, by the line's time-outs;
// and the bytes a second the line carries (19200 baud, 10 bit times a byte).
KTQ_EXPORT(ktq_write_limit_ms) double ktq_write_limit_ms() {
    return static_cast<double>(WriteLimit(CommTimeouts{}, kStreamBytes).count());
}
KTQ_EXPORT(ktq_line_bytes_per_second) double ktq_line_bytes_per_second() {
    return kBaudRate / 10.0;
}

KTQ_EXPORT(ktq_text) const char* ktq_text(const char* name) {
    return Give(std::string(TextNamed(name)));
}

KTQ_EXPORT(ktq_progress) const char* ktq_progress(std::size_t done, std::size_t total) {
    return Give(ProgressText(done, total));
}

KTQ_EXPORT(ktq_confirm_boards) const char* ktq_confirm_boards(std::size_t boards) {
    return Give(ConfirmBoards(boards));
}

KTQ_EXPORT(ktq_boards_done) const char* ktq_boards_done(std::size_t done, std::size_t boards) {
    return Give(BoardsDone(done, boards));
}

// Why the port `device` could not be opened: the browser's `reason`, and
// what to do for the `cause` the page made of it.
KTQ_EXPORT(ktq_open_failed) const char* ktq_open_failed(const char* cause, const char* device, const char* reason) {
    OpenStatus status;
    status.failure = PortFailure::CannotOpen;
    status.cause = CauseNamed(cause);
    status.device = device;
    status.reason = reason;
    std::string message = PortOpenMessage(status, PortName::Device(device), {});
    // A port this page itself still holds: no other program to end.
    if (std::string_view(cause) == "held-here") message += "\n" + std::string(Text().kWebPortHeldHere);
    return Give(std::move(message));
}

// Why a transfer to `device` failed after `written` bytes had left and
// `taken` had been taken by the port.
KTQ_EXPORT(ktq_send_failed)
const char* ktq_send_failed(const char* cause, std::size_t written, std::size_t taken, const char* device,
                            const char* reason) {
    WriteResult result;
    result.written = written;
    result.taken = taken;
    result.cause = CauseNamed(cause);
    result.reason = reason;
    return Give(TransferFailedMessage(result, kStreamBytes, PortName::Device(device)));
}

// A port as the page names it: "Převodník FTDI (0403:6001)", by its USB
// vendor and product (four hexadecimal digits each, as the listing writes
// them).
KTQ_EXPORT(ktq_adapter_name) const char* ktq_adapter_name(const char* vidPid) {
    PortInfo adapter;
    adapter.vidPid = vidPid;
    return Give(AdapterName(adapter));
}

// What the browser's port chooser is to offer, as the `filters` of
// navigator.serial.requestPort: every chip of the program's table by its
// vendor and product, and the boards with their own USB by their vendor.
KTQ_EXPORT(ktq_port_filters) const char* ktq_port_filters() {
    std::string json = "[";
    auto add = [&json](std::string_view vendor, std::string_view product) {
        if (json.size() > 1) json += ',';
        json += "{\"usbVendorId\":" + std::to_string(std::stoi(std::string(vendor), nullptr, 16));
        if (!product.empty()) json += ",\"usbProductId\":" + std::to_string(std::stoi(std::string(product), nullptr, 16));
        json += '}';
    };
    for (const SerialChips& chips : SerialChipTable()) {
        for (const SerialChips::Product& product : chips.products) add(chips.vendor, product.id);
    }
    for (const std::string_view vendor : CdcBoardVendors()) add(vendor, {});
    return Give(json + "]");
}

// This build's C++ runtime has no exceptions: a throw, which no path the
// page takes makes (the grid's radix is 16), stops the module.
extern "C" void* __cxa_allocate_exception(std::size_t) {
    __builtin_trap();
}
extern "C" void __cxa_throw(void*, void*, void (*)(void*)) {
    __builtin_trap();
}
