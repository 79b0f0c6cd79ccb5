// The Czech texts of ktq51-flash, the command-line programmer.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "hex_reader.h"
#include "port_list.h"

namespace text {

inline constexpr std::string_view kFlashUsage =
    "Použití:\n"
    "  ktq51-flash [--port COMn|ZAŘÍZENÍ]... [--yes] [--timeout S] [--report F] [--wait S] [--watch] SOUBOR.hex\n"
    "  ktq51-flash --all [--yes] [--timeout S] [--report F] [--wait S] [--watch] SOUBOR.hex\n"
    "  ktq51-flash --each [N] [--yes] [--timeout S] [--report F] SOUBOR.hex\n"
    "  ktq51-flash [--port COMn|ZAŘÍZENÍ]... [--yes] [--timeout S] --erase\n"
    "  ktq51-flash --check SOUBOR.hex\n"
    "  ktq51-flash --stream-out VÝSTUP.bin SOUBOR.hex\n"
    "\n"
    "Pošle paměťové okno 0x3000–0x3FFF souboru Intel HEX do desky KTQ-51 po sériové\n"
    "lince (19200 Bd, 8 datových bitů, bez parity, 1 stop bit), stejně jako okno\n"
    "programátoru.\n"
    "\n"
    "  --port COMn       COM1 až COM5 jako v okně programátoru (i s proměnnou KTQ51_COMn)\n"
    "  --port ZAŘÍZENÍ   jiné zařízení: /dev/ttyUSB0 na Linuxu, COM7 ve Windows\n"
    "                    (bez volby --port se použije COM1)\n"
    "  --port auto       jediný připojený převodník USB\n"
    "                    (více voleb --port: ty desky se programují najednou)\n"
    "  --all             všechny připojené převodníky USB najednou\n"
    "  --each [N]        čekat na převodníky a každý nově připojený naprogramovat,\n"
    "                    po N deskách skončit (bez N až po Ctrl+C)\n"
    "  --watch           nahrát soubor hned a pak znovu po každé jeho změně (po každém\n"
    "                    překladu), dokud Ctrl+C; zeptá se jen jednou\n"
    "  --wait S          počkat až S sekund, než se porty (i --port auto, --all) objeví\n"
    "  --report F        připsat do souboru F řádek CSV za každou desku, jak skončí\n"
    "  --list            vypsat sériové porty počítače: název, popis, VID:PID,\n"
    "                    sériové číslo, stálý název, umístění; nic se neotevře\n"
    "  --list --verbose  celá diagnostika ke zkopírování: verze, systém, porty,\n"
    "                    převodníky bez portu a proč\n"
    "  --yes             neptat se před odesláním\n"
    "  --timeout S       nejdelší doba přenosu v sekundách, nejméně 9, např. 20 nebo 12,5\n"
    "                    (jinak 163,85 s)\n"
    "  --erase           poslat prázdné okno (4096 × FF): vymaže program v desce\n"
    "  --check           jen přečíst soubor a vypsat, co obsahuje; port se neotevře\n"
    "  --stream-out F    zapsat 16384 bajtů, které by se poslaly, do souboru F\n"
    "  --help            tato nápověda\n"
    "  --version         verze\n"
    "\n"
    "Soubor, který do okna 0x3000–0x3FFF nic nedává, se neposílá.\n"
    "\n"
    "Návratový kód: 0 hotovo, 1 soubor odmítnut, 2 port nelze otevřít ani nastavit,\n"
    "3 přenos selhal, 4 chybné použití nebo odeslání nepotvrzeno, 5 protokol nelze zapsat.\n"
    "U více desek 0, když se povedly všechny, 3, když některý přenos selhal, jinak 2.\n"
    "Ctrl+C program (i --watch) ukončí jako každé přerušení.\n";

inline constexpr std::string_view kNeedsConfirmation =
    "Odeslání musí potvrdit člověk u terminálu, nebo volba --yes. Nic nebylo odesláno.";
inline constexpr std::string_view kMissingFile = "chybí soubor HEX";
inline constexpr std::string_view kOneFileOnly = "zadejte jen jeden soubor HEX";
inline constexpr std::string_view kCheckAndStreamOut = "--check a --stream-out nejdou spolu";
inline constexpr std::string_view kOneAdapter = "jediný převodník USB";
inline constexpr std::string_view kAnyAdapter = "převodník USB";
inline constexpr std::string_view kNoAdapter = "Žádný převodník USB není připojen.";
inline constexpr std::string_view kSeveralAdapters =
    "Připojeno je více převodníků USB: vyberte jeden volbou --port.";
inline constexpr std::string_view kEachAlone =
    "--each hledá převodníky samo: --port, --all, --wait ani --watch k ní nepatří";
inline constexpr std::string_view kWatchNeedsFile = "--watch sleduje soubor HEX: --erase k ní nepatří";
inline constexpr std::string_view kWaitingForAdapters =
    "Čekám na převodníky USB: každý nově připojený naprogramuji (Ctrl+C skončí).";
inline constexpr std::string_view kEraseAlone = "--erase posílá prázdné okno: soubor, --check ani --stream-out k ní nepatří";

}  // namespace text

// Usage errors: "u volby --port chybí hodnota", and so on.
std::string MissingValue(std::string_view option);
std::string BadSeconds(std::string_view option, std::string_view value);
std::string TimeoutTooShort(std::string_view value, long long shortestSeconds);
std::string BadCount(std::string_view option, std::string_view value);
std::string GivenTwice(std::string_view option);
std::string StreamOutIsTheFile(std::string_view file);
std::string UnknownOption(std::string_view option);
std::string NothingIsSent(std::string_view mode);

// A file that cannot be loaded, as the command line says it: the loader's
// message, headed by the file where the message does not name it.
std::string HexLoadReport(const HexResult& result, const std::string& file);

// --watch: what it does, once at its start; a change seen; a file without
// its end record, which is not sent.
std::string WatchingFile(const std::string& file);
std::string FileChanged(const std::string& file);
std::string NoEndRecordYet(const std::string& file);

// --wait: what is waited for and how long.
std::string WaitingForPort(const std::string& port, long long seconds);

// The question before sending, answered on the terminal.
std::string ConfirmPrompt();

// The first progress line where it is not redrawn in place.
std::string SendingText(std::size_t total, const std::string& device);

// A file that cannot be written, and the system's text for why.
std::string CannotWrite(const std::string& file, const std::string& reason);

// Why a file that puts nothing into 0x3000-0x3FFF is not sent: where its
// data lies, the likely cause, and how to erase the board on purpose.
std::string EmptyWindowMessage(const std::string& file, const HexSummary& summary);

// Why --port auto or --all takes no port when no USB adapter has one: that
// none is plugged in, or what is wrong with each that is.
std::string NoAdapterMessage(const std::vector<PortInfo>& ports);

// Why --port auto takes no port when the only adapter has `ports` of them.
std::string OneAdapterWithSeveralPorts(std::size_t ports);

// One line of --list: name, description, VID:PID, serial number, stable
// name and location, separated by tabs, "-" where there is none; for an
// adapter without a port, why and what to do, in a seventh column.
std::string PortListLine(const PortInfo& port);

// What --check reports of a file that loaded: its records, where its data
// lies, how much of it is in 0x3000-0x3FFF, and how many window bytes are
// not FF. One line each.
std::string CheckReport(const std::string& file, const HexSummary& summary, std::size_t programmedCells);
