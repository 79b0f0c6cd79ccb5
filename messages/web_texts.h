// The Czech texts that only the page in the browser shows. The rest of what
// it says is the program's own (texts.h, messages.h), through the same
// WebAssembly module as the reader.
#pragma once

#include <string_view>

namespace text {

inline constexpr std::string_view kWebTitle = "Programator KTQ-51 v prohlížeči";
inline constexpr std::string_view kWebChooseAdapter = "Vybrat převodník…";
inline constexpr std::string_view kWebNoAdapter = "Žádný převodník není vybrán: vyberte ho tlačítkem „Vybrat převodník…“.";
inline constexpr std::string_view kWebAdapter = "Port: ";
inline constexpr std::string_view kWebAdapters = "Porty: ";
inline constexpr std::string_view kWebDropHint = "Soubor HEX můžete také přetáhnout na stránku.";
inline constexpr std::string_view kWebDropOneFile = "Přetáhněte na stránku jeden soubor HEX.";
inline constexpr std::string_view kWebSerialPort = "Sériový port";
inline constexpr std::string_view kWebAdapterNumber = " č. ";
inline constexpr std::string_view kWebAdapterUnplugged = "Převodník byl odpojen: připojte ho znovu.";
inline constexpr std::string_view kWebAdapterBack = "Převodník je znovu připojen.";
inline constexpr std::string_view kWebNoWebSerial =
    "Tento prohlížeč neumí Web Serial, a tak se ze stránky k desce nedostane. Stránka programuje desku v "
    "prohlížečích Google Chrome a Microsoft Edge od verze 89, ve Firefoxu od verze 151 na počítači a v Chrome pro "
    "Android od verze 138; Safari a Firefox pro Android Web Serial nemají. Jinak si stáhněte program Programator "
    "KTQ-51 pro Windows nebo Linux.";
inline constexpr std::string_view kWebInsecure =
    "Web Serial funguje jen na stránce otevřené přes HTTPS nebo z http://localhost: otevřete stránku tak.";
inline constexpr std::string_view kWebPortInUse =
    "Port drží jiný program (terminál, sériový monitor, jiná karta prohlížeče): ukončete ho a zkuste to znovu.";
inline constexpr std::string_view kWebChooseAgain =
    "Připojte převodník a vyberte ho znovu tlačítkem „Vybrat převodník…“.";
inline constexpr std::string_view kWebPortHeldHere =
    "Port stále drží tato stránka po přenosu, který se zasekl: odpojte převodník a připojte ho znovu, nebo stránku "
    "načtěte znovu.";
inline constexpr std::string_view kWebChooserRefused = "Prohlížeč nedovolil vybrat převodník: ";
inline constexpr std::string_view kWebOffline = "Stránka je uložena v prohlížeči a funguje i bez připojení.";

}  // namespace text
