#include "flash_texts.h"

#include "adapter_rules.h"

#include "messages.h"
#include "transfer.h"

std::string MissingValue(std::string_view option) {
    return "u volby " + std::string(option) + " chybí hodnota";
}

std::string BadSeconds(std::string_view option, std::string_view value) {
    return std::string(option) + " chce kladný počet sekund, ne „" + std::string(value) + "“";
}

std::string TimeoutTooShort(std::string_view value, long long shortestSeconds) {
    return "--timeout " + std::string(value) + " s nestačí: linka potřebuje na " + Bytes(kStreamBytes) +
           " programu asi " + std::to_string(shortestSeconds) + " s, a tak by deska dostala jen část. Zadejte aspoň " +
           std::to_string(shortestSeconds) + " s.";
}

std::string BadCount(std::string_view option, std::string_view value) {
    return std::string(option) + " chce počet desek od 1, ne „" + std::string(value) + "“";
}

std::string GivenTwice(std::string_view option) {
    return "volba " + std::string(option) + " je zadána dvakrát";
}

std::string StreamOutIsTheFile(std::string_view file) {
    return "--stream-out " + std::string(file) + " je týž soubor jako soubor HEX: přepsal by ho";
}

std::string UnknownOption(std::string_view option) {
    return "neznámá volba " + std::string(option);
}

std::string NothingIsSent(std::string_view mode) {
    return std::string(mode) +
           " nic neposílá: --port, --all, --each, --yes, --timeout, --report, --wait ani --watch nemají smysl";
}

std::string HexLoadReport(const HexResult& result, const std::string& file) {
    const bool namesTheFile = result.status == HexStatus::OpenFailed || result.status == HexStatus::ReadFailed ||
                              result.status == HexStatus::NotARegularFile || result.status == HexStatus::TooLarge;
    return (namesTheFile ? std::string() : file + ": ") + HexLoadMessage(result, file);
}

std::string WatchingFile(const std::string& file) {
    std::string text = "Sleduji ";
    text += file;
    text += ": po každé změně jej znovu nahraji do desky (Ctrl+C skončí).";
    return text;
}

std::string FileChanged(const std::string& file) {
    std::string text = "Soubor ";
    text += file;
    text += " se změnil.";
    return text;
}

std::string NoEndRecordYet(const std::string& file) {
    std::string text = file;
    text += ": chybí koncový záznam (:00000001FF), soubor se ještě zapisuje. Nic nebylo odesláno; "
            "čekám na další změnu; když se 2 s nezmění, vezmu ho tak, jak je.";
    return text;
}

std::string WaitingForPort(const std::string& port, long long seconds) {
    std::string text = "Čekám nejvýše ";
    text += std::to_string(seconds);
    text += " s, až se objeví ";
    text += port;
    text += "…";
    return text;
}

std::string ConfirmPrompt() {
    return std::string(text::kConfirmProgramming) + " [a/N] ";
}

std::string SendingText(std::size_t total, const std::string& device) {
    return "Odesílám " + Bytes(static_cast<long long>(total)) + " na " + device + " (asi " +
           std::to_string(LineSeconds(total)) + " s)";
}

std::string CannotWrite(const std::string& file, const std::string& reason) {
    return "Soubor " + file + " nelze zapsat: " + reason;
}

std::string EmptyWindowMessage(const std::string& file, const HexSummary& s) {
    std::string message = file + ": soubor nedává do okna 0x3000–0x3FFF žádná data, do desky by šlo jen prázdné okno. "
                                 "Nic nebylo odesláno.\n";
    if (s.dataBytes == 0) {
        message += "Soubor neobsahuje žádná data.";
    } else {
        message += "Jeho data leží na " + HexAddress(s.lowest) + "–" + HexAddress(s.highest) + " (" +
                   Bytes(static_cast<long long>(s.dataBytes)) +
                   "): byl program přeložen pro adresu 0x3000 (např. sdcc --code-loc 0x3000)?";
    }
    return message + "\nPrázdné okno (vymazání desky) pošle volba --erase.";
}

std::string NoAdapterMessage(const std::vector<PortInfo>& ports) {
    std::string message;
    for (const PortInfo& port : ports) {
        if (port.HasPort()) continue;
        if (!message.empty()) message += '\n';
        message += AdapterWithoutPortMessage(port);
    }
    return message.empty() ? std::string(text::kNoAdapter) : message;
}

std::string OneAdapterWithSeveralPorts(std::size_t ports) {
    return "Připojen je jeden převodník USB, který má " + std::to_string(ports) + (ports < 5 ? " porty" : " portů") +
           ": vyberte jeden z nich volbou --port.";
}

std::string PortListLine(const PortInfo& port) {
    const std::string description = PortDescription(port);
    std::string line;
    for (const std::string* field :
         {&port.name, &description, &port.vidPid, &port.serial, &port.stableName, &port.location}) {
        if (!line.empty()) line += '\t';
        line += field->empty() ? std::string("-") : *field;
    }
    if (!port.HasPort()) {
        const AdapterDiagnosis diagnosis = DiagnoseAdapter(port);
        line += "\tje připojen, ale " + diagnosis.reason + ". " + diagnosis.fix;
    }
    return line;
}

std::string CheckReport(const std::string& file, const HexSummary& s, std::size_t programmedCells) {
    static const char* const kRecordNames[] = {
        "data", "konec souboru", "rozšířená segmentová adresa", "počáteční segmentová adresa",
        "rozšířená lineární adresa", "počáteční lineární adresa",
    };
    std::string report = file + ": soubor v pořádku\n";
    std::string records;
    for (std::size_t type = 0; type < s.records.size(); ++type) {
        if (s.records[type] == 0) continue;
        records += (records.empty() ? "" : ", ") + std::to_string(s.records[type]) + "× " + kRecordNames[type] +
                   " (0" + std::to_string(type) + ")";
    }
    report += "záznamy: " + (records.empty() ? std::string("žádné") : records) + "\n";
    if (s.dataBytes == 0) {
        report += "data: žádná\n";
    } else {
        report += "data: " + HexAddress(s.lowest) + "–" + HexAddress(s.highest) + ", " +
                  Bytes(static_cast<long long>(s.dataBytes)) + ", z toho v okně 0x3000–0x3FFF " +
                  Bytes(static_cast<long long>(s.windowBytes)) + "\n";
        if (s.windowBytes < s.dataBytes) {
            report += "mimo okno 0x3000–0x3FFF: " + Bytes(static_cast<long long>(s.dataBytes - s.windowBytes)) +
                      "; ty se do desky neposílají\n";
        }
    }
    report += "v okně 0x3000–0x3FFF je " + Bytes(static_cast<long long>(programmedCells)) + " jiných než FF (z 4096)\n";
    return report;
}
