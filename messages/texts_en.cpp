// The program's English texts, for a user who chose English. The same keys
// and placeholders as the Czech ones; English needs only two forms of a
// count, so its 2 and 5 forms are the same.
#include "texts.h"

extern const TextTable kEnglishTexts{
    .kWindowTitle = "Programator KTQ-51",
    .kMenuSoubor = "File",
    .kMenuOtevrit = "Open ",
    .kMenuHyphens = "--------",
    .kMenuKonec = "Exit",
    .kMenuNastroje = "Tools",
    .kMenuProgramuj = "Program",
    .kMenuNastaveni = "Settings",
    .kMenuNapoveda = "Help",
    .kMenuVytvoril = "About",
    .kMenuDiagnostika = "Diagnostics…",
    .kMenuJazyk = "Jazyk / Language",
    .kLanguageCzech = "Čeština",
    .kLanguageEnglish = "English",
    .kLanguageNotKept = "The language cannot be saved in the settings ({1}): it holds only until the program ends.",
    .kDiagnosisTitle = "Diagnostics",
    .kButtonCopy = "Copy",
    .kGridHint = "Programmed data",
    .kAxAddress = "Address",
    .kGridCell = "{1}: {2}",
    .kAxBoards = "Boards",
    .kAxMainMenu = "Main menu",
    .kOpenFilter = "Intel HEX (*.hex)",
    .kButtonYes = "Yes",
    .kButtonNo = "No",
    .kButtonOk = "OK",

    .kProgramming = "Programming... (about 10 s)",
    .kConfirmProgramming = "Do you really want to reprogram the KTQ - 51?",
    .kProgrammingCancelled = "Programming cancelled",
    .kProgrammingDone = "Programming finished successfully",

    .kMenuProgramujVse = "Program all boards…",
    .kClassSetTitle = "Programming all boards",
    .kColumnPort = "Port",
    .kColumnLocation = "Location",
    .kColumnSerial = "Serial number",
    .kColumnProgress = "Progress",
    .kColumnResult = "Result",
    .kButtonProgram = "Program",
    .kButtonRetryFailed = "Retry failed",
    .kButtonSaveReport = "Save report…",
    .kButtonClose = "Close",
    .kReportFilter = "CSV report (*.csv)",
    .kRetrySameBuild = "The file was loaded again since the last run: the failed boards get the program of the last "
                       "run, the same as the others.",
    .kOtherReport = "the file already holds another report (other columns, another version of the program, or "
                    "another program changed it); choose a new file",
    .kNoBoardChecked = "Tick the boards to be programmed.",
    .kConfirmBoards1 = "Do you really want to reprogram {1} KTQ - 51 board?",
    .kConfirmBoards2 = "Do you really want to reprogram {1} KTQ - 51 boards?",
    .kConfirmBoards5 = "Do you really want to reprogram {1} KTQ - 51 boards?",
    .kBoardsDone1 = "Programmed {1} of {2} board",
    .kBoardsDone5 = "Programmed {1} of {2} boards",

    .kReloaded = "Loaded again: ",
    .kDropOneFile = "Drop one HEX file from this computer into the window.",
    .kWindowUsage = "Usage: programator [FILE.hex]\n"
                    "Opens the window of the KTQ-51 programmer; loads the given Intel HEX file at start.\n",
    .kInterrupted = "\nInterrupted.\n",
    .kAbout = "{1}\nVersion {2}",
    .kRecentFileGone = "The file {1} no longer exists: I removed it from the recent files.",
    .kUseAdapterInstead = "Use {1} instead?",
    .kProgressPort = "Port: {1}",
    .kProgress = "Sent {1} of {2}, about {3} s to go",

    .kBytes1 = "{1} byte",
    .kBytes2 = "{1} bytes",
    .kBytes5 = "{1} bytes",
    .kCharQuoted = "“{1}”",
    .kCharCode = "with the code 0x{1}",

    .kFileDamaged = "The file is damaged",
    .kCannotOpenFile = "The file {1} cannot be opened:\n{2}",
    .kCannotReadFile = "The file {1} cannot be read:\n{2}",
    .kNotARegularFile = "it is not a regular file",
    .kFileTooLarge = "the file is larger than 64 MiB, so it is not a HEX file for this board",
    .kChecksum = "Invalid checksum of the data read",
    .kBadCharacter = "Invalid character {1} in the record on line {2}",
    .kLineEndInRecord = "The record on line {1} is incomplete",
    .kUnexpectedEnd = "Unexpected end of the file on line {1}",
    .kNoRecordStart = "Line {1} has the character {2} where a record should start with “:”",
    .kTrailingText = "Line {1} has an extra character {2} after the checksum",
    .kUnknownType = "Unknown record type {1} on line {2}",
    .kBadLength = "The record of type {1} on line {2} has a wrong length ({3})",
    .kOutOfRange = "The data on line {1} belong at the address {2}, outside the memory 0x0000–0x3FFF",
    .kUnknownError = "Unknown error on line {1}",
    .kNumberTooLarge = "The number “{1}” is too large",
    .kNotADigit = "The character {1} is not a digit of base {2}",

    .kComCannotOpen = "Cannot open the COM port",
    .kLineError = "Line error",
    .kSettingNotTaken = "the line setting did not take ({1})",
    .kSettingSpeed = "speed",
    .kReasonInUse = "another program is using the port",
    .kReasonProbed = "{1} may be probing the port just now",
    .kHeldBy = "The port {1} is open in the program {2}: end it and try again.",
    .kAdviceGone = "The device disappeared: check the cable and plug the adapter in again.",
    .kAdviceRefused = "The adapter's driver refused to open the port: unplug the adapter and plug it in again; if that "
                      "does not help, it is most likely a clone chip that the driver cannot handle, and only another "
                      "adapter will do.",
    .kAdviceTimedOut = "The line takes no data: check that the board is switched on and connected.",
    .kSendFailed = "Error while sending\nSent {1} of {2}: {3}",
    .kTimedOut = "the time limit ran out",
    .kResetBoard = "The board may have received only part of the program: reset it before the next try.",

    .kInterface = "interface {1}",
    .kUsbAdapter = "USB adapter",
    .kBuiltInPort = "built-in serial port",
    .kSerialPort = "serial port",
    .kNothingConnected = "{1}: nothing is connected",
    .kCannotWriteReport = "The report {1} cannot be written: {2}",

    .kAdviceDialout = "Serial ports may be opened by the group dialout: join it with the command “sudo usermod -aG "
                      "dialout {1}” and log in again.",
    .kAdviceNoHardware = "There is no circuit behind this port: the computer only lists it. {1}",
    .kDevicesListed = "Serial devices of this computer: {1}.",
    .kConnectAndChoose = "Plug in an adapter and choose it with the variable {1}.",
    .kChooseByVariable = "You choose the port with the variable {1}, e.g. {1}={2}.",
    .kAdviceInUse = "Another program holds the port (a terminal, a second copy of the programmer): end it and try "
                    "again.",
    .kAdviceProbed = "ModemManager probes every newly connected cdc_acm device with AT commands, which would mix into "
                     "the board's program, so the board got nothing. To have it leave the board alone, write a udev "
                     "rule with the command “{1}” and plug the board in again; or switch ModemManager off with the "
                     "command “{2}”.",

    .kComPortsListed = "COM ports of this computer: {1} (the adapter's number is also in Device Manager, Ports (COM & "
                       "LPT)).",
    .kChooseOne = "Choose one of them.",
    .kChooseByVariableWindows = "You choose it with the variable {1}, e.g. “set {1}=COM7”, or in the Settings menu.",
    .kAdviceInUseWindows = "The port {1} is open in another program (a terminal, a second copy of the programmer, a "
                           "serial monitor): end it and try again. Which program it is, Windows do not tell without "
                           "administrator rights.",

    .kAdapterName = "Adapter {1} ({2})",
    .kAdapterWithoutPort = "{1} is connected, but {2}. {3}",
    .kIsConnectedBut = "is connected, but {1}. {2}",
    .kFixWch = "Install the CH341SER driver from the chip's maker (WCH) and plug the adapter in again.",
    .kFixSiliconLabs = "Install the CP210x VCP driver from Silicon Labs and plug the adapter in again.",
    .kFixProlific = "Install the PL2303 driver from Prolific and plug the adapter in again.",
    .kFixFtdi = "Install the FTDI VCP driver and plug the adapter in again.",
    .kFixUsbser = "Windows 10 and later have the usbser driver: plug the adapter in again; older Windows need an .inf "
                  "file from the board's maker.",
    .kWhyPhasedOut = "it is a PL2303HXA/XA chip, which the current Prolific driver refuses (code 10)",
    .kFixPhasedOut = "Install an older Prolific driver (from before 2012), which still takes this chip, or use an "
                     "adapter with another chip.",
    .kWhyErasedId = "its product ID is erased (a clone of an FTDI chip, overwritten by the FTDI driver of 2014)",
    .kFixErasedId = "No driver takes it as a serial adapter: use another adapter.",
    .kWhyNoDriverCode = "it has no driver (code 28)",
    .kWhyCannotStart = "its driver could not start it (code 10)",
    .kFixCannotStart = "Unplug the adapter and plug it in again; if that does not help, install the newest driver from "
                       "the chip's maker.",
    .kWhyDisabled = "it is disabled (code 22)",
    .kFixDisabled = "Enable it in Device Manager.",
    .kWhyStopped = "Windows stopped it because it reported problems (code 43)",
    .kFixStopped = "Plug it into another USB socket or use another cable.",
    .kWhyProblem = "it has a problem with the code {1} in Device Manager",
    .kFixProblem = "Look at it in Device Manager, Ports (COM & LPT).",
    .kAnotherProgram = "another program",
    .kProgramNamed = "the program {1}",
    .kWhyTakenBy = "{1} took it over",
    .kFixBrltty = "brltty (a program for Braille displays) takes CH340 adapters: uninstall it with the command “sudo "
                  "apt remove brltty” and plug the adapter in again.",
    .kFixEndIt = "End it and plug the adapter in again.",
    .kFixClone = "Unplug the adapter and plug it in again; if that does not help, it is most likely a clone chip that "
                 "the driver cannot handle: use another adapter.",
    .kWhyRefusedBy = "the driver {1} refused it: it made no port",
    .kWhyServedBy = "the driver {1} serves it",
    .kWhyServedByNot = "the driver {1} serves it, not {2}",
    .kFixReplug = "Unplug the adapter and plug it in again.",
    .kWhyNotTaken = "the driver {1} did not take it",
    .kWhyNoDriver = "it has no driver",
    .kFixModprobe = "Load the driver with the command “sudo modprobe {1}” and plug the adapter in again.",
    .kWhyNoPort = "it has no port",

    .kFactDriver = "driver",
    .kFactLocation = "location",
    .kFactSerial = "serial number",
    .kFactMaker = "maker",
    .kFactRevision = "revision",
    .kFactStableName = "stable name",
    .kFactProblem = "problem code",
    .kFactInstalledDriver = "installed driver",
    .kFactHeldBy = "held by",
    .kDiagnosisSystem = "System: {1}",
    .kDiagnosisComPorts = "COM1 to COM5:",
    .kDiagnosisPorts = "Serial ports:",
    .kDiagnosisWithoutPort = "Adapters without a port:",
    .kDiagnosisLastError = "Last error:",
    .kNoneOfThem = "none",
    .kNoneAtAll = "none",

    .kFlashUsage =
        "Usage:\n"
        "  ktq51-flash [--port COMn|DEVICE]... [--yes] [--timeout S] [--report F] [--wait S] [--watch] FILE.hex\n"
        "  ktq51-flash --all [--yes] [--timeout S] [--report F] [--wait S] [--watch] FILE.hex\n"
        "  ktq51-flash --each [N] [--yes] [--timeout S] [--report F] FILE.hex\n"
        "  ktq51-flash [--port COMn|DEVICE]... [--yes] [--timeout S] --erase\n"
        "  ktq51-flash --check FILE.hex\n"
        "  ktq51-flash --stream-out OUTPUT.bin FILE.hex\n"
        "\n"
        "Sends the memory window 0x3000–0x3FFF of an Intel HEX file to a KTQ-51 board over a\n"
        "serial line (19200 Bd, 8 data bits, no parity, 1 stop bit), as the programmer's\n"
        "window does.\n"
        "\n"
        "  --port COMn       COM1 to COM5 as in the programmer's window (also with KTQ51_COMn)\n"
        "  --port DEVICE     another device: /dev/ttyUSB0 on Linux, COM7 on Windows\n"
        "                    (without --port, COM1 is used)\n"
        "  --port auto       the only USB adapter connected\n"
        "                    (several --port options: those boards are programmed at once)\n"
        "  --all             every USB adapter connected, at once\n"
        "  --each [N]        wait for adapters and program each newly connected one,\n"
        "                    end after N boards (without N, at Ctrl+C)\n"
        "  --watch           load the file now and again after each of its changes (after\n"
        "                    each build), until Ctrl+C; asks only once\n"
        "  --wait S          wait up to S seconds for the ports (also --port auto, --all)\n"
        "  --report F        append a CSV line for each board to the file F as it ends\n"
        "  --list            list the computer's serial ports: name, description, VID:PID,\n"
        "                    serial number, stable name, location; nothing is opened\n"
        "  --list --verbose  the whole diagnosis to copy: version, system, ports,\n"
        "                    adapters without a port and why\n"
        "  --yes             do not ask before sending\n"
        "  --timeout S       the longest transfer in seconds, at least 9, e.g. 20 or 12.5\n"
        "                    (else 163.85 s)\n"
        "  --erase           send an empty window (4096 × FF): erases the board's program\n"
        "  --check           only read the file and say what it holds; no port is opened\n"
        "  --stream-out F    write the 16384 bytes that would be sent to the file F\n"
        "  --lang cs|en      the language of the texts: Czech (the default) or English (also\n"
        "                    with KTQ51_LANG)\n"
        "  --help            this help\n"
        "  --version         the version\n"
        "\n"
        "A file that puts nothing into the window 0x3000–0x3FFF is not sent.\n"
        "\n"
        "Exit status: 0 done, 1 file refused, 2 port cannot be opened or set up,\n"
        "3 transfer failed, 4 wrong use or sending not confirmed, 5 report cannot be written.\n"
        "With several boards 0 when all succeeded, 3 when a transfer failed, else 2.\n"
        "Ctrl+C ends the program (also --watch) as any interrupt does.\n",
    .kNeedsConfirmation = "Sending must be confirmed by a person at the terminal, or by --yes. Nothing was sent.",
    .kConfirmPrompt = "{1} [y/N] ",
    .kAnswerYes = "y",
    .kAnswerYesWord = "yes",
    .kFlashVersion = "ktq51-flash (Programator KTQ-51) version {1}",
    .kMissingFile = "the HEX file is missing",
    .kOneFileOnly = "give only one HEX file",
    .kCheckAndStreamOut = "--check and --stream-out do not go together",
    .kOneAdapter = "the only USB adapter",
    .kAnyAdapter = "a USB adapter",
    .kNoAdapter = "No USB adapter is connected.",
    .kSeveralAdapters = "Several USB adapters are connected: choose one with --port.",
    .kEachAlone = "--each finds the adapters itself: --port, --all, --wait and --watch do not go with it",
    .kWatchNeedsFile = "--watch follows a HEX file: --erase does not go with it",
    .kWaitingForAdapters = "Waiting for USB adapters: I will program each newly connected one (Ctrl+C ends).",
    .kEraseAlone = "--erase sends an empty window: a file, --check and --stream-out do not go with it",
    .kMissingValue = "the option {1} has no value",
    .kBadSeconds = "{1} wants a positive number of seconds, not “{2}”",
    .kTimeoutTooShort = "--timeout {1} s is not enough: the line needs about {3} s for the {2} of the program, so the "
                        "board would get only part of it. Give at least {3} s.",
    .kBadCount = "{1} wants a number of boards from 1, not “{2}”",
    .kBadLanguage = "{1} wants cs or en, not “{2}”",
    .kGivenTwice = "the option {1} is given twice",
    .kStreamOutIsTheFile = "--stream-out {1} is the HEX file itself: it would overwrite it",
    .kUnknownOption = "unknown option {1}",
    .kNothingIsSent = "{1} sends nothing: --port, --all, --each, --yes, --timeout, --report, --wait and --watch make "
                      "no sense",
    .kWatchingFile = "Watching {1}: after each change I will load it into the board again (Ctrl+C ends).",
    .kFileChanged = "The file {1} has changed.",
    .kNoEndRecordYet = "{1}: the end record (:00000001FF) is missing, the file is still being written. Nothing was "
                       "sent; waiting for the next change; if it stays unchanged for 2 s, I will take it as it is.",
    .kWaitingForPort = "Waiting at most {1} s for {2} to appear…",
    .kSending = "Sending {1} to {2} (about {3} s)",
    .kCannotWrite = "The file {1} cannot be written: {2}",
    .kEmptyWindow = "{1}: the file puts no data into the window 0x3000–0x3FFF, only an empty window would go to the "
                    "board. Nothing was sent.",
    .kNoDataInFile = "The file holds no data.",
    .kDataLiesAt = "Its data lie at {1}–{2} ({3}): was the program built for the address 0x3000 (e.g. sdcc "
                   "--code-loc 0x3000)?",
    .kEraseOnPurpose = "An empty window (erasing the board) is sent by --erase.",
    .kOneAdapterPorts2 = "One USB adapter is connected, and it has {1} ports: choose one of them with --port.",
    .kOneAdapterPorts5 = "One USB adapter is connected, and it has {1} ports: choose one of them with --port.",
    .kRecordData = "data",
    .kRecordEnd = "end of file",
    .kRecordSegment = "extended segment address",
    .kRecordSegmentStart = "start segment address",
    .kRecordLinear = "extended linear address",
    .kRecordLinearStart = "start linear address",
    .kRecordCount = "{1}× {2} (0{3})",
    .kCheckOk = "{1}: the file is all right",
    .kCheckRecords = "records: {1}",
    .kCheckNoData = "data: none",
    .kCheckData = "data: {1}–{2}, {3}, of which in the window 0x3000–0x3FFF {4}",
    .kCheckOutside = "outside the window 0x3000–0x3FFF: {1}; these are not sent to the board",
    .kCheckNotFf = "the window 0x3000–0x3FFF has {1} other than FF (of 4096)",

    .kWebTitle = "Programator KTQ-51 in the browser",
    .kWebChooseAdapter = "Choose adapter…",
    .kWebNoAdapter = "No adapter is chosen: choose one with the button “Choose adapter…”.",
    .kWebAdapter = "Port: ",
    .kWebAdapters = "Ports: ",
    .kWebDropHint = "You can also drop a HEX file onto the page.",
    .kWebDropOneFile = "Drop one HEX file onto the page.",
    .kWebSerialPort = "Serial port",
    .kWebAdapterNumber = " no. ",
    .kWebAdapterUnplugged = "The adapter was unplugged: plug it in again.",
    .kWebAdapterBack = "The adapter is plugged in again.",
    .kWebNoWebSerial = "This browser has no Web Serial, so the page cannot reach the board. The page programs the "
                       "board in Google Chrome and Microsoft Edge from version 89, in Firefox from version 151 on a "
                       "computer and in Chrome for Android from version 138; Safari and Firefox for Android have no "
                       "Web Serial. Otherwise download the program Programator KTQ-51 for Windows or Linux.",
    .kWebInsecure = "Web Serial works only on a page opened over HTTPS or from http://localhost: open the page so.",
    .kWebPortInUse = "Another program holds the port (a terminal, a serial monitor, another browser tab): end it and "
                     "try again.",
    .kWebChooseAgain = "Plug in the adapter and choose it again with the button “Choose adapter…”.",
    .kWebPortHeldHere = "This page still holds the port after a transfer that got stuck: unplug the adapter and plug "
                        "it in again, or reload the page.",
    .kWebChooserRefused = "The browser did not let you choose an adapter: ",
    .kWebOffline = "The page is stored in the browser and works offline too.",
    // The grid for screen readers: the address column's header, and a byte
    // cell as "address: value".
};
