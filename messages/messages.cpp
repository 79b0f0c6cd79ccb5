#include "messages.h"

#include <cstdio>

#include "radix.h"
#include "transfer.h"

namespace {

std::string Damaged(const std::string& what) {
    return what + '\n' + std::string(kFileDamaged);
}

std::string TypeName(int type) {
    return IntToBaseStr(type, 16);
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

std::string HexLoadMessage(const HexResult& r, const std::string& path) {
    const std::string line = std::to_string(r.line);
    switch (r.status) {
        case HexStatus::Ok:
            return {};
        case HexStatus::OpenFailed:
            return "Soubor " + path + " nelze otevřít:\n" + r.reason;
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

std::string PortAdvice(PortCause cause, int index) {
    switch (cause) {
        case PortCause::InUse:
            return "Port drží jiný program (terminál, druhá kopie programátoru): ukončete ho a zkuste to znovu.";
        case PortCause::Gone:
            return "Zařízení zmizelo: zkontrolujte kabel a připojte převodník znovu.";
        case PortCause::TimedOut:
            return "Linka data nepřijímá: zkontrolujte, že je deska zapnutá a připojená.";
        case PortCause::NoDevice:
        case PortCause::NoPermission:
            return PlatformPortAdvice(cause, index);
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

std::string PortOpenMessage(const OpenResult& r, int index) {
    const std::string device = r.device.empty() ? "COM" + std::to_string(index + 1) : r.device;
    std::string text = r.failure == PortFailure::LineError ? "Chyba linky\n" : "COM nelze otevřít\n";
    text += device + ": " + r.reason;
    if (const std::string advice = PortAdvice(r.cause, index); !advice.empty()) text += '\n' + advice;
    return text;
}

std::string TransferFailedMessage(const WriteResult& r, std::size_t total) {
    // "Odesláno n z 16384 bajtů": the plural goes with the total.
    std::string text = "Chyba pri odesílání\nOdesláno " + std::to_string(r.written) + " z " +
                       Bytes(static_cast<long long>(total)) + ": " + r.error;
    text += "\nDeska mohla přijmout jen část programu: před dalším pokusem ji resetujte.";
    if (const std::string advice = PortAdvice(r.cause, -1); !advice.empty()) text += ' ' + advice;
    return text;
}
