// The program's Czech texts, the language a user gets unless they choose
// another. {1}, {2} … are filled in by Format; a text of a count has three
// forms: 1, 2 to 4, and 0 or 5 and more.
#include "texts.h"

extern const TextTable kCzechTexts{
    // The window and its menu. The item captioned with eight hyphens is an
    // ordinary item, not a separator; the Otevřít caption ends in a blank.
    .kWindowTitle = "Programator KTQ-51",
    .kMenuSoubor = "Soubor",
    .kMenuOtevrit = "Otevřít ",
    .kMenuHyphens = "--------",
    .kMenuKonec = "Konec",
    .kMenuNastroje = "Nástroje",
    .kMenuProgramuj = "Programuj",
    .kMenuNastaveni = "Nastavení",
    .kMenuNapoveda = "Nápověda",
    .kMenuVytvoril = "Vytvořil",
    .kMenuDiagnostika = "Diagnostika…",
    .kMenuJazyk = "Jazyk / Language",
    .kLanguageCzech = "Čeština",
    .kLanguageEnglish = "English",
    .kLanguageNotKept = "Jazyk nelze uložit do nastavení ({1}): platí jen do konce programu.",
    .kDiagnosisTitle = "Diagnostika",
    .kButtonCopy = "Kopírovat",
    .kGridHint = "Programovaná data",
    .kAxAddress = "Adresa",
    .kGridCell = "{1}: {2}",
    .kAxBoards = "Desky",
    .kAxMainMenu = "Hlavní nabídka",
    .kOpenFilter = "Intelhex (*.hex)",
    .kButtonYes = "Ano",
    .kButtonNo = "Ne",
    .kButtonOk = "OK",

    // Programming, in the window and on the command line.
    .kProgramming = "Programuji... (cca 10s)",
    .kConfirmProgramming = "Opravdu chcete přeprogramovat KTQ - 51?",
    .kProgrammingCancelled = "Programování zrušeno",
    .kProgrammingDone = "Programovani proběhlo v pořádku",

    // Programming every board at once.
    .kMenuProgramujVse = "Programuj všechny desky…",
    .kClassSetTitle = "Programování všech desek",
    .kColumnPort = "Port",
    .kColumnLocation = "Umístění",
    .kColumnSerial = "Sériové číslo",
    .kColumnProgress = "Průběh",
    .kColumnResult = "Výsledek",
    .kButtonProgram = "Programuj",
    .kButtonRetryFailed = "Opakovat chybné",
    .kButtonSaveReport = "Uložit protokol…",
    .kButtonClose = "Zavřít",
    .kReportFilter = "Protokol CSV (*.csv)",
    .kRetrySameBuild = "Soubor byl od posledního běhu nahrán znovu: chybné desky dostanou program z posledního běhu, "
                       "stejný jako ostatní.",
    .kOtherReport = "soubor už obsahuje jiný protokol (jiné sloupce, jiná verze programu, nebo ho změnil jiný "
                    "program); zvolte nový soubor",
    .kNoBoardChecked = "Zaškrtněte desky, které se mají programovat.",
    .kConfirmBoards1 = "Opravdu chcete přeprogramovat {1} desku KTQ - 51?",
    .kConfirmBoards2 = "Opravdu chcete přeprogramovat {1} desky KTQ - 51?",
    .kConfirmBoards5 = "Opravdu chcete přeprogramovat {1} desek KTQ - 51?",
    .kBoardsDone1 = "Naprogramováno {1} z {2} desky",
    .kBoardsDone5 = "Naprogramováno {1} z {2} desek",

    // Following the loaded file, dropped files, the window's command line.
    .kReloaded = "Načteno znovu: ",
    .kDropOneFile = "Přetáhněte do okna jeden soubor HEX z tohoto počítače.",
    .kWindowUsage = "Použití: programator [SOUBOR.hex]\n"
                    "Otevře okno programátoru KTQ-51; zadaný soubor Intel HEX nahraje hned po spuštění.\n",
    .kInterrupted = "\nPřerušeno.\n",
    .kAbout = "{1}\nVerze {2}",
    .kRecentFileGone = "Soubor {1} už neexistuje: z nedávných souborů jsem ho vyřadil.",
    .kUseAdapterInstead = "Použít místo něj {1}?",
    .kProgressPort = "Port: {1}",
    .kProgress = "Odesláno {1} z {2}, zbývá asi {3} s",

    // Counts and characters.
    .kBytes1 = "{1} bajt",
    .kBytes2 = "{1} bajty",
    .kBytes5 = "{1} bajtů",
    .kCharQuoted = "„{1}“",
    .kCharCode = "s kódem 0x{1}",

    // A file that cannot be loaded.
    .kFileDamaged = "Soubor je poškozen",
    .kCannotOpenFile = "Soubor {1} nelze otevřít:\n{2}",
    .kCannotReadFile = "Soubor {1} nelze přečíst:\n{2}",
    .kNotARegularFile = "není to běžný soubor",
    .kFileTooLarge = "soubor je větší než 64 MiB, a tak to není soubor HEX pro tuto desku",
    .kChecksum = "Neplatný součet načítaných dat",
    .kBadCharacter = "Neplatný znak {1} v záznamu na řádku {2}",
    .kLineEndInRecord = "Záznam na řádku {1} je neúplný",
    .kUnexpectedEnd = "Neočekávaný konec souboru na řádku {1}",
    .kNoRecordStart = "Na řádku {1} je znak {2} místo začátku záznamu „:“",
    .kTrailingText = "Za kontrolním součtem na řádku {1} je navíc znak {2}",
    .kUnknownType = "Neznámý typ záznamu {1} na řádku {2}",
    .kBadLength = "Záznam typu {1} na řádku {2} má chybnou délku ({3})",
    .kOutOfRange = "Data na řádku {1} patří na adresu {2}, mimo paměť 0x0000–0x3FFF",
    .kUnknownError = "Neznámá chyba na řádku {1}",
    .kNumberTooLarge = "Číslo „{1}“ je příliš velké",
    .kNotADigit = "Znak {1} není číslice soustavy o základu {2}",

    // A port that cannot be opened, a transfer that failed.
    .kComCannotOpen = "COM nelze otevřít",
    .kLineError = "Chyba linky",
    .kSettingNotTaken = "nastavení linky se neujalo ({1})",
    .kSettingSpeed = "rychlost",
    .kReasonInUse = "port používá jiný program",
    .kReasonProbed = "port může právě zkoušet {1}",
    .kHeldBy = "Port {1} má otevřený program {2}: ukončete ho a zkuste to znovu.",
    .kAdviceGone = "Zařízení zmizelo: zkontrolujte kabel a připojte převodník znovu.",
    .kAdviceRefused = "Ovladač převodníku port odmítl otevřít: odpojte převodník a připojte ho znovu; když to "
                      "nepomůže, jde nejspíš o napodobeninu čipu, kterou ovladač neumí, a pomůže jen jiný převodník.",
    .kAdviceTimedOut = "Linka data nepřijímá: zkontrolujte, že je deska zapnutá a připojená.",
    .kSendFailed = "Chyba pri odesílání\nOdesláno {1} z {2}: {3}",
    .kTimedOut = "vypršel časový limit",
    .kResetBoard = "Deska mohla přijmout jen část programu: před dalším pokusem ji resetujte.",

    // Ports as the menu and the lists name them.
    .kInterface = "rozhraní {1}",
    .kUsbAdapter = "převodník USB",
    .kBuiltInPort = "vestavěný sériový port",
    .kSerialPort = "sériový port",
    .kNothingConnected = "{1}: nic není připojeno",
    .kCannotWriteReport = "Protokol {1} nelze zapsat: {2}",

    // What to do about a port, on Linux.
    .kAdviceDialout = "Sériové porty smí otevřít skupina dialout: přidejte se do ní příkazem „sudo usermod -aG "
                      "dialout {1}“ a přihlaste se znovu.",
    .kAdviceNoHardware = "Za tímto portem není žádný obvod: počítač ho jen uvádí. {1}",
    .kDevicesListed = "Sériová zařízení tohoto počítače: {1}.",
    .kConnectAndChoose = "Připojte převodník a vyberte ho proměnnou {1}.",
    .kChooseByVariable = "Port vyberete proměnnou {1}, např. {1}={2}.",
    .kAdviceInUse = "Port drží jiný program (terminál, druhá kopie programátoru): ukončete ho a zkuste to znovu.",
    .kAdviceProbed = "ModemManager zkouší každé nově připojené zařízení cdc_acm příkazy AT, které by se přimíchaly "
                     "do programu desky, a tak deska nic nedostala. Aby ji nechal být, zapište pravidlo udev "
                     "příkazem „{1}“ a desku připojte znovu; nebo ModemManager vypněte příkazem „{2}“.",

    // What to do about a port, on Windows.
    .kComPortsListed = "Porty COM tohoto počítače: {1} (číslo převodníku najdete i ve Správci zařízení, Porty COM "
                       "a LPT).",
    .kChooseOne = "Vyberte jeden z nich.",
    .kChooseByVariableWindows = "Vyberete ho proměnnou {1}, např. „set {1}=COM7“, nebo v nabídce Nastavení.",
    .kAdviceInUseWindows = "Port {1} má otevřený jiný program (terminál, druhá kopie programátoru, sériový monitor): "
                           "ukončete ho a zkuste to znovu. Který program to je, Windows bez práv správce neřeknou.",

    // Adapters without a port: what the system says of them, and the fix.
    .kAdapterName = "Převodník {1} ({2})",
    .kAdapterWithoutPort = "{1} je připojen, ale {2}. {3}",
    .kIsConnectedBut = "je připojen, ale {1}. {2}",
    .kFixWch = "Nainstalujte ovladač CH341SER od výrobce čipu (WCH) a převodník připojte znovu.",
    .kFixSiliconLabs = "Nainstalujte ovladač CP210x VCP od Silicon Labs a převodník připojte znovu.",
    .kFixProlific = "Nainstalujte ovladač PL2303 od Prolificu a převodník připojte znovu.",
    .kFixFtdi = "Nainstalujte ovladač FTDI VCP a převodník připojte znovu.",
    .kFixUsbser = "Windows 10 a novější mají ovladač usbser: převodník připojte znovu; starší Windows potřebují "
                  "soubor .inf od výrobce desky.",
    .kWhyPhasedOut = "jde o čip PL2303HXA/XA, který současný ovladač Prolific odmítá (kód 10)",
    .kFixPhasedOut = "Nainstalujte starší ovladač Prolific (z doby před rokem 2012), který tento čip ještě bere, "
                     "nebo použijte převodník s jiným čipem.",
    .kWhyErasedId = "má smazané ID výrobku (napodobenina čipu FTDI, kterou přepsal ovladač FTDI z roku 2014)",
    .kFixErasedId = "Žádný ovladač ho jako sériový převodník nevezme: použijte jiný převodník.",
    .kWhyNoDriverCode = "nemá ovladač (kód 28)",
    .kWhyCannotStart = "ovladač ho nedokázal spustit (kód 10)",
    .kFixCannotStart = "Odpojte převodník a připojte ho znovu; když to nepomůže, nainstalujte nejnovější ovladač od "
                       "výrobce čipu.",
    .kWhyDisabled = "je zakázaný (kód 22)",
    .kFixDisabled = "Povolte ho ve Správci zařízení.",
    .kWhyStopped = "Windows ho zastavily, protože hlásil chyby (kód 43)",
    .kFixStopped = "Připojte ho do jiné zásuvky USB nebo jiným kabelem.",
    .kWhyProblem = "má ve Správci zařízení problém s kódem {1}",
    .kFixProblem = "Podívejte se na něj ve Správci zařízení, Porty COM a LPT.",
    .kAnotherProgram = "jiný program",
    .kProgramNamed = "program {1}",
    .kWhyTakenBy = "převzal ho {1}",
    .kFixBrltty = "brltty (program pro Braillův řádek) si bere převodníky CH340: odinstalujte ho příkazem „sudo apt "
                  "remove brltty“ a převodník připojte znovu.",
    .kFixEndIt = "Ukončete ho a převodník připojte znovu.",
    .kFixClone = "Odpojte převodník a připojte ho znovu; když to nepomůže, jde nejspíš o napodobeninu čipu, kterou "
                 "ovladač neumí: použijte jiný převodník.",
    .kWhyRefusedBy = "ovladač {1} ho odmítl: port nevytvořil",
    .kWhyServedBy = "obsluhuje ho ovladač {1}",
    .kWhyServedByNot = "obsluhuje ho ovladač {1}, ne {2}",
    .kFixReplug = "Odpojte převodník a připojte ho znovu.",
    .kWhyNotTaken = "ovladač {1} ho nepřevzal",
    .kWhyNoDriver = "nemá ovladač",
    .kFixModprobe = "Nahrajte ovladač příkazem „sudo modprobe {1}“ a převodník připojte znovu.",
    .kWhyNoPort = "nemá port",

    // The diagnosis.
    .kFactDriver = "ovladač",
    .kFactLocation = "umístění",
    .kFactSerial = "sériové číslo",
    .kFactMaker = "výrobce",
    .kFactRevision = "revize",
    .kFactStableName = "stálý název",
    .kFactProblem = "kód problému",
    .kFactInstalledDriver = "instalovaný ovladač",
    .kFactHeldBy = "drží ho",
    .kDiagnosisSystem = "Systém: {1}",
    .kDiagnosisComPorts = "COM1 až COM5:",
    .kDiagnosisPorts = "Sériové porty:",
    .kDiagnosisWithoutPort = "Převodníky bez portu:",
    .kDiagnosisLastError = "Poslední chyba:",
    .kNoneOfThem = "žádné",
    .kNoneAtAll = "žádná",

    // ktq51-flash, the command-line programmer.
    .kFlashUsage =
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
        "  --lang cs|en      jazyk textů: čeština (výchozí) nebo angličtina (i s proměnnou\n"
        "                    KTQ51_LANG)\n"
        "  --help            tato nápověda\n"
        "  --version         verze\n"
        "\n"
        "Soubor, který do okna 0x3000–0x3FFF nic nedává, se neposílá.\n"
        "\n"
        "Návratový kód: 0 hotovo, 1 soubor odmítnut, 2 port nelze otevřít ani nastavit,\n"
        "3 přenos selhal, 4 chybné použití nebo odeslání nepotvrzeno, 5 protokol nelze zapsat.\n"
        "U více desek 0, když se povedly všechny, 3, když některý přenos selhal, jinak 2.\n"
        "Ctrl+C program (i --watch) ukončí jako každé přerušení.\n",
    .kNeedsConfirmation = "Odeslání musí potvrdit člověk u terminálu, nebo volba --yes. Nic nebylo odesláno.",
    .kConfirmPrompt = "{1} [a/N] ",
    .kAnswerYes = "a",
    .kAnswerYesWord = "ano",
    .kFlashVersion = "ktq51-flash (Programator KTQ-51) verze {1}",
    .kMissingFile = "chybí soubor HEX",
    .kOneFileOnly = "zadejte jen jeden soubor HEX",
    .kCheckAndStreamOut = "--check a --stream-out nejdou spolu",
    .kOneAdapter = "jediný převodník USB",
    .kAnyAdapter = "převodník USB",
    .kNoAdapter = "Žádný převodník USB není připojen.",
    .kSeveralAdapters = "Připojeno je více převodníků USB: vyberte jeden volbou --port.",
    .kEachAlone = "--each hledá převodníky samo: --port, --all, --wait ani --watch k ní nepatří",
    .kWatchNeedsFile = "--watch sleduje soubor HEX: --erase k ní nepatří",
    .kWaitingForAdapters = "Čekám na převodníky USB: každý nově připojený naprogramuji (Ctrl+C skončí).",
    .kEraseAlone = "--erase posílá prázdné okno: soubor, --check ani --stream-out k ní nepatří",
    .kMissingValue = "u volby {1} chybí hodnota",
    .kBadSeconds = "{1} chce kladný počet sekund, ne „{2}“",
    .kTimeoutTooShort = "--timeout {1} s nestačí: linka potřebuje na {2} programu asi {3} s, a tak by deska dostala "
                        "jen část. Zadejte aspoň {3} s.",
    .kBadCount = "{1} chce počet desek od 1, ne „{2}“",
    .kBadLanguage = "{1} chce cs nebo en, ne „{2}“",
    .kGivenTwice = "volba {1} je zadána dvakrát",
    .kStreamOutIsTheFile = "--stream-out {1} je týž soubor jako soubor HEX: přepsal by ho",
    .kUnknownOption = "neznámá volba {1}",
    .kNothingIsSent = "{1} nic neposílá: --port, --all, --each, --yes, --timeout, --report, --wait ani --watch "
                      "nemají smysl",
    .kWatchingFile = "Sleduji {1}: po každé změně jej znovu nahraji do desky (Ctrl+C skončí).",
    .kFileChanged = "Soubor {1} se změnil.",
    .kNoEndRecordYet = "{1}: chybí koncový záznam (:00000001FF), soubor se ještě zapisuje. Nic nebylo odesláno; "
                       "čekám na další změnu; když se 2 s nezmění, vezmu ho tak, jak je.",
    .kWaitingForPort = "Čekám nejvýše {1} s, až se objeví {2}…",
    .kSending = "Odesílám {1} na {2} (asi {3} s)",
    .kCannotWrite = "Soubor {1} nelze zapsat: {2}",
    .kEmptyWindow = "{1}: soubor nedává do okna 0x3000–0x3FFF žádná data, do desky by šlo jen prázdné okno. Nic "
                    "nebylo odesláno.",
    .kNoDataInFile = "Soubor neobsahuje žádná data.",
    .kDataLiesAt = "Jeho data leží na {1}–{2} ({3}): byl program přeložen pro adresu 0x3000 (např. sdcc --code-loc "
                   "0x3000)?",
    .kEraseOnPurpose = "Prázdné okno (vymazání desky) pošle volba --erase.",
    .kOneAdapterPorts2 = "Připojen je jeden převodník USB, který má {1} porty: vyberte jeden z nich volbou --port.",
    .kOneAdapterPorts5 = "Připojen je jeden převodník USB, který má {1} portů: vyberte jeden z nich volbou --port.",
    .kRecordData = "data",
    .kRecordEnd = "konec souboru",
    .kRecordSegment = "rozšířená segmentová adresa",
    .kRecordSegmentStart = "počáteční segmentová adresa",
    .kRecordLinear = "rozšířená lineární adresa",
    .kRecordLinearStart = "počáteční lineární adresa",
    .kRecordCount = "{1}× {2} (0{3})",
    .kCheckOk = "{1}: soubor v pořádku",
    .kCheckRecords = "záznamy: {1}",
    .kCheckNoData = "data: žádná",
    .kCheckData = "data: {1}–{2}, {3}, z toho v okně 0x3000–0x3FFF {4}",
    .kCheckOutside = "mimo okno 0x3000–0x3FFF: {1}; ty se do desky neposílají",
    .kCheckNotFf = "v okně 0x3000–0x3FFF je {1} jiných než FF (z 4096)",

    // What only the page in the browser says.
    .kWebTitle = "Programator KTQ-51 v prohlížeči",
    .kWebChooseAdapter = "Vybrat převodník…",
    .kWebNoAdapter = "Žádný převodník není vybrán: vyberte ho tlačítkem „Vybrat převodník…“.",
    .kWebAdapter = "Port: ",
    .kWebAdapters = "Porty: ",
    .kWebDropHint = "Soubor HEX můžete také přetáhnout na stránku.",
    .kWebDropOneFile = "Přetáhněte na stránku jeden soubor HEX.",
    .kWebSerialPort = "Sériový port",
    .kWebAdapterNumber = " č. ",
    .kWebAdapterUnplugged = "Převodník byl odpojen: připojte ho znovu.",
    .kWebAdapterBack = "Převodník je znovu připojen.",
    .kWebNoWebSerial = "Tento prohlížeč neumí Web Serial, a tak se ze stránky k desce nedostane. Stránka programuje "
                       "desku v prohlížečích Google Chrome a Microsoft Edge od verze 89, ve Firefoxu od verze 151 na "
                       "počítači a v Chrome pro Android od verze 138; Safari a Firefox pro Android Web Serial nemají. "
                       "Jinak si stáhněte program Programator KTQ-51 pro Windows nebo Linux.",
    .kWebInsecure = "Web Serial funguje jen na stránce otevřené přes HTTPS nebo z http://localhost: otevřete stránku "
                    "tak.",
    .kWebPortInUse = "Port drží jiný program (terminál, sériový monitor, jiná karta prohlížeče): ukončete ho a zkuste "
                     "to znovu.",
    .kWebChooseAgain = "Připojte převodník a vyberte ho znovu tlačítkem „Vybrat převodník…“.",
    .kWebPortHeldHere = "Port stále drží tato stránka po přenosu, který se zasekl: odpojte převodník a připojte ho "
                        "znovu, nebo stránku načtěte znovu.",
    .kWebChooserRefused = "Prohlížeč nedovolil vybrat převodník: ",
    .kWebOffline = "Stránka je uložena v prohlížeči a funguje i bez připojení.",
    // The grid for screen readers: the address column's header, and a byte
    // cell as "address: value".
};
