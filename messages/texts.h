// Every fixed Czech text of the program, in UTF-8: the window's layout and
// commands, and what both the window and the command line say. Texts built
// from results are in messages.h and flash_texts.h.
#pragma once

#include <string_view>

namespace text {

// The window and its menu. The item captioned with eight hyphens is an
// ordinary item, not a separator; the Otevřít caption ends in a blank.
inline constexpr std::string_view kWindowTitle = "Programator KTQ-51";
inline constexpr std::string_view kMenuSoubor = "Soubor";
inline constexpr std::string_view kMenuOtevrit = "Otevřít ";
inline constexpr std::string_view kMenuHyphens = "--------";
inline constexpr std::string_view kMenuKonec = "Konec";
inline constexpr std::string_view kMenuNastroje = "Nástroje";
inline constexpr std::string_view kMenuProgramuj = "Programuj";
inline constexpr std::string_view kMenuNastaveni = "Nastavení";
inline constexpr std::string_view kMenuNapoveda = "Nápověda";
inline constexpr std::string_view kMenuVytvoril = "Vytvořil";
inline constexpr std::string_view kMenuDiagnostika = "Diagnostika…";
inline constexpr std::string_view kDiagnosisTitle = "Diagnostika";
inline constexpr std::string_view kButtonCopy = "Kopírovat";
inline constexpr std::string_view kGridHint = "Programovaná data";
// What a screen reader says of the grid's address column and of the class
// set's table of boards.
inline constexpr std::string_view kAxAddress = "Adresa";  // en: "Address"
inline constexpr std::string_view kAxBoards = "Desky";  // en: "Boards"
inline constexpr std::string_view kAxMainMenu = "Hlavní nabídka";  // en: "Main menu"
inline constexpr std::string_view kOpenFilter = "Intelhex (*.hex)";
inline constexpr std::string_view kButtonYes = "Ano";
inline constexpr std::string_view kButtonNo = "Ne";
inline constexpr std::string_view kButtonOk = "OK";

// Programming, in the window and on the command line.
inline constexpr std::string_view kProgramming = "Programuji... (cca 10s)";
inline constexpr std::string_view kConfirmProgramming = "Opravdu chcete přeprogramovat KTQ - 51?";
inline constexpr std::string_view kProgrammingCancelled = "Programování zrušeno";
inline constexpr std::string_view kProgrammingDone = "Programovani proběhlo v pořádku";

// Programming every board at once.
inline constexpr std::string_view kMenuProgramujVse = "Programuj všechny desky…";
inline constexpr std::string_view kClassSetTitle = "Programování všech desek";
inline constexpr std::string_view kColumnPort = "Port";
inline constexpr std::string_view kColumnLocation = "Umístění";
inline constexpr std::string_view kColumnSerial = "Sériové číslo";
inline constexpr std::string_view kColumnProgress = "Průběh";
inline constexpr std::string_view kColumnResult = "Výsledek";
inline constexpr std::string_view kButtonProgram = "Programuj";
inline constexpr std::string_view kButtonRetryFailed = "Opakovat chybné";
inline constexpr std::string_view kButtonSaveReport = "Uložit protokol…";
inline constexpr std::string_view kButtonClose = "Zavřít";
inline constexpr std::string_view kReportFilter = "Protokol CSV (*.csv)";
inline constexpr std::string_view kRetrySameBuild =
    "Soubor byl od posledního běhu nahrán znovu: chybné desky dostanou program z posledního běhu, stejný jako ostatní.";
inline constexpr std::string_view kOtherReport =
    "soubor už obsahuje jiný protokol (jiné sloupce, jiná verze programu, nebo ho změnil jiný program); zvolte "
    "nový soubor";
inline constexpr std::string_view kNoBoardChecked = "Zaškrtněte desky, které se mají programovat.";

// Following the loaded file.
inline constexpr std::string_view kReloaded = "Načteno znovu: ";

inline constexpr std::string_view kDropOneFile = "Přetáhněte do okna jeden soubor HEX z tohoto počítače.";

inline constexpr std::string_view kWindowUsage =
    "Použití: programator [SOUBOR.hex]\n"
    "Otevře okno programátoru KTQ-51; zadaný soubor Intel HEX nahraje hned po spuštění.\n";

// An interrupt (Ctrl+C) on the command line.
inline constexpr std::string_view kInterrupted = "\nPřerušeno.\n";

}  // namespace text
