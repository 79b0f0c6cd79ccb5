#include "messages.h"

#include <cstdio>

#include "transfer.h"

namespace {

std::string Damaged(const std::string& what) {
    return what + '\n' + std::string(kFileDamaged);
}

std::string TypeName(int type) {
    return IntToBaseStr(type, 16);
}

// Why a port could not be opened or set up, as the user is told.
std::string OpenReason(const OpenStatus& r) {
    if (!r.setting.empty()) {
        return "nastavení linky se neujalo (" + (r.setting == "speed" ? std::string("rychlost") : r.setting) + ")";
    }
    if (r.cause == PortCause::InUse) return "port používá jiný program";
    if (r.cause == PortCause::Probed) return "port může právě zkoušet " + r.holder;
    return r.reason;
}

}  // namespace

std::string HexAddress(std::uint32_t address) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(address));
    return text;
}

std::string Bytes(long long count) {
    const long long n = count < 0 ? -count : count;
    const char* word = n == 1 ? "bajt" : (n >= 2 && n <= 4) ? "bajty" : "bajtů";
    return std::to_string(count) + ' ' + word;
}

std::string DescribeChar(char c) {
    const auto code = static_cast<unsigned char>(c);
    if (code > 0x20 && code < 0x7F) return std::string("„") + c + "“";
    static const char* const kHex = "0123456789ABCDEF";
    return std::string("s kódem 0x") + kHex[code >> 4] + kHex[code & 0xF];
}

std::string HexLoadMessage(const HexResult& r, const std::string& path) {
    const std::string line = std::to_string(r.line);
    switch (r.status) {
        case HexStatus::Ok:
            return {};
        case HexStatus::OpenFailed:
            return "Soubor " + path + " nelze otevřít:\n" + r.reason;
        case HexStatus::NotARegularFile:
            return "Soubor " + path + " nelze otevřít:\nnení to běžný soubor";
        case HexStatus::TooLarge:
            return "Soubor " + path + " nelze otevřít:\nsoubor je větší než 64 MiB, a tak to není soubor HEX pro tuto desku";
        case HexStatus::ReadFailed:
            return "Soubor " + path + " nelze přečíst:\n" + r.reason;
        case HexStatus::Checksum:
            return Damaged("Neplatný součet načítaných dat");
        case HexStatus::BadCharacter:
            return Damaged("Neplatný znak " + DescribeChar(r.character) + " v záznamu na řádku " + line);
        case HexStatus::LineEndInRecord:
            return Damaged("Záznam na řádku " + line + " je neúplný");
        case HexStatus::UnexpectedEnd:
            return Damaged("Neočekávaný konec souboru na řádku " + line);
        case HexStatus::NoRecordStart:
            return Damaged("Na řádku " + line + " je znak " + DescribeChar(r.character) +
                           " místo začátku záznamu „:“");
        case HexStatus::TrailingText:
            return Damaged("Za kontrolním součtem na řádku " + line + " je navíc znak " +
                           DescribeChar(r.character));
        case HexStatus::UnknownType:
            return Damaged("Neznámý typ záznamu " + TypeName(r.recordType) + " na řádku " + line);
        case HexStatus::BadLength:
            return Damaged("Záznam typu " + TypeName(r.recordType) + " na řádku " + line + " má chybnou délku (" +
                           Bytes(r.length) + ")");
        case HexStatus::OutOfRange:
            return Damaged("Data na řádku " + line + " patří na adresu " + HexAddress(r.address) +
                           ", mimo paměť 0x0000–0x3FFF");
    }
    return Damaged("Neznámá chyba na řádku " + line);
}

std::string ConversionMessage(const ConversionError& error) {
    if (error.kind() == ConversionError::Kind::TooLarge) return "Číslo „" + error.text() + "“ je příliš velké";
    return "Znak " + DescribeChar(error.Offending()) + " není číslice soustavy o základu " +
           std::to_string(error.base());
}

std::string PortAdvice(PortCause cause, const PortName& port, const std::vector<PortInfo>& ports) {
    switch (cause) {
        case PortCause::Gone:
            return "Zařízení zmizelo: zkontrolujte kabel a připojte převodník znovu.";
        case PortCause::Refused:
            return "Ovladač převodníku port odmítl otevřít: odpojte převodník a připojte ho znovu; když to nepomůže, "
                   "jde nejspíš o napodobeninu čipu, kterou ovladač neumí, a pomůže jen jiný převodník.";
        case PortCause::TimedOut:
            return "Linka data nepřijímá: zkontrolujte, že je deska zapnutá a připojená.";
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
    return "Odesláno " + std::to_string(done) + " z " + Bytes(static_cast<long long>(total)) + ", zbývá asi " +
           std::to_string(LineSeconds(toGo)) + " s";
}

std::string Brief(const std::string& message) {
    const std::size_t first = message.find('\n');
    if (first == std::string::npos) return message;
    return message.substr(0, first) + " – " + message.substr(first + 1, message.find('\n', first + 1) - first - 1);
}

std::string ConfirmBoards(std::size_t boards) {
    const char* word = boards == 1 ? "desku" : boards >= 2 && boards <= 4 ? "desky" : "desek";
    return "Opravdu chcete přeprogramovat " + std::to_string(boards) + " " + word + " KTQ - 51?";
}

std::string BoardsDone(std::size_t done, std::size_t boards) {
    return "Naprogramováno " + std::to_string(done) + " z " + std::to_string(boards) + (boards == 1 ? " desky" : " desek");
}

std::string AboutText(std::string_view version) {
    return std::string(text::kWindowTitle) + "\nVerze " + std::string(version);
}

std::string PortOpenMessage(const OpenStatus& r, const PortName& port, const std::vector<PortInfo>& ports) {
    const std::string device = r.device.empty() ? port.Name() : r.device;
    std::string message = r.failure == PortFailure::LineError ? "Chyba linky\n" : "COM nelze otevřít\n";
    message += device + ": " + OpenReason(r);
    const std::string advice = r.holder.empty() || r.cause == PortCause::Probed
                                   ? PortAdvice(r.cause, port, ports)
                                   : "Port " + device + " má otevřený program " + r.holder +
                                         ": ukončete ho a zkuste to znovu.";
    if (!advice.empty()) message += '\n' + advice;
    return message;
}

std::string TransferFailedMessage(const WriteResult& r, std::size_t total, const PortName& port) {
    // "Odesláno n z 16384 bajtů": the plural goes with the total.
    const std::string why = r.cause == PortCause::TimedOut ? "vypršel časový limit" : r.reason;
    std::string message = "Chyba pri odesílání\nOdesláno " + std::to_string(r.written) + " z " +
                          Bytes(static_cast<long long>(total)) + ": " + why + '\n';
    // A port that took nothing gave the board nothing: no reset is needed.
    if (r.taken > 0) message += "Deska mohla přijmout jen část programu: před dalším pokusem ji resetujte. ";
    message += PortAdvice(r.cause, port, {});  // a write's causes name no other port
    while (!message.empty() && (message.back() == ' ' || message.back() == '\n')) message.pop_back();
    return message;
}

namespace {

// Which port of an adapter with several: "Enhanced COM Port", "rozhraní 2".
std::string InterfaceText(const PortInfo& port) {
    if (!port.interfaceName.empty()) return port.interfaceName;
    return port.interfaceNumber >= 0 ? "rozhraní " + std::to_string(port.interfaceNumber) : std::string();
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
    if (what.empty()) what = port.usb ? "převodník USB" : port.builtIn ? "vestavěný sériový port" : "sériový port";
    what = WithInterface(what, port);
    if (!port.vidPid.empty()) what += " (" + port.vidPid + ")";
    return port.name + " – " + what;
}

std::string PortLabel(const PortConnection& connection) {
    return connection.ChosenBy() ? PortLabel(*connection.ChosenBy()) : connection.Port().Name();
}

std::string ComItemTooltip(const std::string& device, const PortInfo* listed, bool exists) {
    if (listed != nullptr) return PortLabel(*listed);
    return exists ? device : device + ": nic není připojeno";
}

std::string UseAdapterInstead(const PortInfo& adapter) {
    return "Použít místo něj " + PortLabel(adapter) + "?";
}

std::string RecentFileGone(const std::string& file) {
    return "Soubor " + file + " už neexistuje: z nedávných souborů jsem ho vyřadil.";
}

std::string CannotWriteReport(const std::string& file, const std::string& reason) {
    return "Protokol " + file + " nelze zapsat: " + reason;
}

std::string ProgressPortText(const std::string& port) {
    return "Port: " + port;
}
