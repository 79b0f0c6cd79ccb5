#include "messages.h"

#include <cstdio>

#include "grid_layout.h"
#include "transfer.h"

namespace {

std::string Damaged(const std::string& what) {
    return what + '\n' + std::string(Text().kFileDamaged);
}

std::string TypeName(int type) {
    return IntToBaseStr(type, 16);
}

// Why a port could not be opened or set up, as the user is told.
std::string OpenReason(const OpenStatus& r) {
    if (!r.setting.empty()) {
        return Format(Text().kSettingNotTaken, {r.setting == "speed" ? Text().kSettingSpeed : r.setting});
    }
    if (r.cause == PortCause::InUse) return std::string(Text().kReasonInUse);
    if (r.cause == PortCause::Probed) return Format(Text().kReasonProbed, {r.holder});
    return r.reason;
}

}  // namespace

std::string HexAddress(std::uint32_t address) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(address));
    return text;
}

std::string Bytes(long long count) {
    return Plural(count, Text().kBytes1, Text().kBytes2, Text().kBytes5);
}

std::string DescribeChar(char c) {
    const auto code = static_cast<unsigned char>(c);
    if (code > 0x20 && code < 0x7F) return Format(Text().kCharQuoted, {std::string(1, c)});
    static const char* const kHex = "0123456789ABCDEF";
    return Format(Text().kCharCode, {std::string{kHex[code >> 4], kHex[code & 0xF]}});
}

std::string HexLoadMessage(const HexResult& r, const std::string& path) {
    const std::string line = std::to_string(r.line);
    switch (r.status) {
        case HexStatus::Ok:
            return {};
        case HexStatus::OpenFailed:
            return Format(Text().kCannotOpenFile, {path, r.reason});
        case HexStatus::NotARegularFile:
            return Format(Text().kCannotOpenFile, {path, Text().kNotARegularFile});
        case HexStatus::TooLarge:
            return Format(Text().kCannotOpenFile, {path, Text().kFileTooLarge});
        case HexStatus::ReadFailed:
            return Format(Text().kCannotReadFile, {path, r.reason});
        case HexStatus::Checksum:
            return Damaged(std::string(Text().kChecksum));
        case HexStatus::BadCharacter:
            return Damaged(Format(Text().kBadCharacter, {DescribeChar(r.character), line}));
        case HexStatus::LineEndInRecord:
            return Damaged(Format(Text().kLineEndInRecord, {line}));
        case HexStatus::UnexpectedEnd:
            return Damaged(Format(Text().kUnexpectedEnd, {line}));
        case HexStatus::NoRecordStart:
            return Damaged(Format(Text().kNoRecordStart, {line, DescribeChar(r.character)}));
        case HexStatus::TrailingText:
            return Damaged(Format(Text().kTrailingText, {line, DescribeChar(r.character)}));
        case HexStatus::UnknownType:
            return Damaged(Format(Text().kUnknownType, {TypeName(r.recordType), line}));
        case HexStatus::BadLength:
            return Damaged(Format(Text().kBadLength, {TypeName(r.recordType), line, Bytes(r.length)}));
        case HexStatus::OutOfRange:
            return Damaged(Format(Text().kOutOfRange, {line, HexAddress(r.address)}));
    }
    return Damaged(Format(Text().kUnknownError, {line}));
}

std::string ConversionMessage(const ConversionError& error) {
    if (error.kind() == ConversionError::Kind::TooLarge) return Format(Text().kNumberTooLarge, {error.text()});
    return Format(Text().kNotADigit, {DescribeChar(error.Offending()), std::to_string(error.base())});
}

std::string PortAdvice(PortCause cause, const PortName& port, const std::vector<PortInfo>& ports) {
    switch (cause) {
        case PortCause::Gone:
            return std::string(Text().kAdviceGone);
        case PortCause::Refused:
            return std::string(Text().kAdviceRefused);
        case PortCause::TimedOut:
            return std::string(Text().kAdviceTimedOut);
        case PortCause::InUse:
        case PortCause::Probed:
        case PortCause::NoDevice:
        case PortCause::NoHardware:
        case PortCause::NoPermission:
            return PlatformPortAdvice(cause, port, ports);
        case PortCause::None:
        case PortCause::Other:
            break;
    }
    return {};
}

std::string ProgressText(std::size_t done, std::size_t total) {
    const std::size_t toGo = done < total ? total - done : 0;
    return Format(Text().kProgress, {std::to_string(done), Bytes(static_cast<long long>(total)),
                                     std::to_string(LineSeconds(toGo))});
}

std::string Brief(const std::string& message) {
    const std::size_t first = message.find('\n');
    if (first == std::string::npos) return message;
    return message.substr(0, first) + " – " + message.substr(first + 1, message.find('\n', first + 1) - first - 1);
}

std::string ConfirmBoards(std::size_t boards) {
    return Plural(static_cast<long long>(boards), Text().kConfirmBoards1, Text().kConfirmBoards2,
                  Text().kConfirmBoards5);
}

std::string BoardsDone(std::size_t done, std::size_t boards) {
    return Format(boards == 1 ? Text().kBoardsDone1 : Text().kBoardsDone5, {std::to_string(done), std::to_string(boards)});
}

std::string AboutText(std::string_view version) {
    return Format(Text().kAbout, {Text().kWindowTitle, version});
}

std::string PortOpenMessage(const OpenStatus& r, const PortName& port, const std::vector<PortInfo>& ports) {
    const std::string device = r.device.empty() ? port.Name() : r.device;
    std::string message(r.failure == PortFailure::LineError ? Text().kLineError : Text().kComCannotOpen);
    message += '\n' + device + ": " + OpenReason(r);
    const std::string advice = r.holder.empty() || r.cause == PortCause::Probed
                                   ? PortAdvice(r.cause, port, ports)
                                   : Format(Text().kHeldBy, {device, r.holder});
    if (!advice.empty()) message += '\n' + advice;
    return message;
}

std::string TransferFailedMessage(const WriteResult& r, std::size_t total, const PortName& port) {
    // "Odesláno n z 16384 bajtů": the plural goes with the total.
    const std::string why = r.cause == PortCause::TimedOut ? std::string(Text().kTimedOut) : r.reason;
    std::string message =
        Format(Text().kSendFailed, {std::to_string(r.written), Bytes(static_cast<long long>(total)), why});
    // A port that took nothing gave the board nothing: no reset is needed.
    std::string advice(r.taken > 0 ? Text().kResetBoard : std::string_view());
    const std::string remedy = PortAdvice(r.cause, port, {});  // a write's causes name no other port
    if (!remedy.empty()) advice += (advice.empty() ? "" : " ") + remedy;
    return advice.empty() ? message : message + '\n' + advice;
}

namespace {

// Which port of an adapter with several: "Enhanced COM Port", "rozhraní 2".
std::string InterfaceText(const PortInfo& port) {
    if (!port.interfaceName.empty()) return port.interfaceName;
    return port.interfaceNumber >= 0 ? Format(Text().kInterface, {std::to_string(port.interfaceNumber)}) : std::string();
}

std::string WithInterface(std::string what, const PortInfo& port) {
    const std::string interface = InterfaceText(port);
    if (interface.empty()) return what;
    return what.empty() ? interface : what + ", " + interface;
}

}  // namespace

std::string PortDescription(const PortInfo& port) {
    return port.description.empty() ? std::string() : WithInterface(port.description, port);
}

std::string PortLabel(const PortInfo& port) {
    std::string what = port.description;
    if (what.empty()) what = port.usb ? Text().kUsbAdapter : port.builtIn ? Text().kBuiltInPort : Text().kSerialPort;
    what = WithInterface(what, port);
    if (!port.vidPid.empty()) what += " (" + port.vidPid + ")";
    return port.name + " – " + what;
}

std::string PortLabel(const PortConnection& connection) {
    return connection.ChosenBy() ? PortLabel(*connection.ChosenBy()) : connection.Port().Name();
}

std::string ComItemTooltip(const std::string& device, const PortInfo* listed, bool exists) {
    if (listed != nullptr) return PortLabel(*listed);
    return exists ? device : Format(Text().kNothingConnected, {device});
}

std::string UseAdapterInstead(const PortInfo& adapter) {
    return Format(Text().kUseAdapterInstead, {PortLabel(adapter)});
}

std::string RecentFileGone(const std::string& file) {
    return Format(Text().kRecentFileGone, {file});
}

std::string CannotWriteReport(const std::string& file, const std::string& reason) {
    return Format(Text().kCannotWriteReport, {file, reason});
}

std::string GridCellName(int column, int row, std::string_view value) {
    if (column < 1 || column >= kGridColumns) return std::string(value);
    char address[8];
    std::snprintf(address, sizeof address, "%04X", static_cast<unsigned>(GridCellAddress(column, row)));
    return Format(Text().kGridCell, {address, value});
}

std::string GridColumnHeader(int column) {
    if (column == 0) return std::string(Text().kAxAddress);
    if (column < 0 || column >= kGridColumns) return {};
    return std::string(1, "0123456789ABCDEF"[(column - 1) % kBytesPerRow]);
}

std::string ProgressPortText(const std::string& port) {
    return Format(Text().kProgressPort, {port});
}
