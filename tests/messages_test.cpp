// The texts the window and the command line show for results, and the
// tables of both languages they come from.
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>
#include <utility>

#include "adapter_rules.h"
#include "messages.h"
#include "texts.h"

namespace {

std::string Line(const std::string& text, int n) {
    std::size_t start = 0;
    for (int i = 0; i < n && start != std::string::npos; ++i) {
        start = text.find('\n', start);
        if (start != std::string::npos) ++start;
    }
    return start == std::string::npos ? "" : text.substr(start, text.find('\n', start) - start);
}

TEST(Messages, NameTheFaultTheLineAndWhatToDo) {
    HexResult r;
    r.line = 5;
    r.status = HexStatus::BadCharacter;
    r.character = 'G';
    EXPECT_EQ(HexLoadMessage(r, "x.hex"), "Neplatný znak „G“ v záznamu na řádku 5\nSoubor je poškozen");
    r.status = HexStatus::UnexpectedEnd;
    EXPECT_EQ(HexLoadMessage(r, "x.hex"), "Neočekávaný konec souboru na řádku 5\nSoubor je poškozen");
    r.status = HexStatus::OutOfRange;
    r.address = 0x10000;
    EXPECT_EQ(HexLoadMessage(r, "x.hex"),
              "Data na řádku 5 patří na adresu 0x10000, mimo paměť 0x0000–0x3FFF\nSoubor je poškozen");
    r.status = HexStatus::UnknownType;
    r.recordType = 6;
    EXPECT_EQ(HexLoadMessage(r, "x.hex"), "Neznámý typ záznamu 06 na řádku 5\nSoubor je poškozen");
    r.status = HexStatus::BadLength;
    r.recordType = 4;
    for (const auto& [length, text] : {std::pair{1, "1 bajt"}, {2, "2 bajty"}, {4, "4 bajty"}, {5, "5 bajtů"},
                                       {0, "0 bajtů"}, {22, "22 bajtů"}}) {
        r.length = length;
        EXPECT_EQ(HexLoadMessage(r, "x.hex"),
                  "Záznam typu 04 na řádku 5 má chybnou délku (" + std::string(text) + ")\nSoubor je poškozen");
    }
    r.status = HexStatus::ReadFailed;
    r.reason = "Is a directory";
    EXPECT_EQ(HexLoadMessage(r, "/tmp"), "Soubor /tmp nelze přečíst:\nIs a directory");
    r.status = HexStatus::NotARegularFile;
    EXPECT_EQ(HexLoadMessage(r, "/tmp"), "Soubor /tmp nelze otevřít:\nnení to běžný soubor");
    r.status = HexStatus::TooLarge;
    EXPECT_NE(HexLoadMessage(r, "/tmp").find("64 MiB"), std::string::npos);

    // The progress line: bytes gone, and the time the rest takes at 19200 baud.
    for (const auto& [left, seconds] : {std::pair{0, 0}, {1, 1}, {8192, 5}, {16383, 9}, {16384, 9}}) {
        EXPECT_EQ(ProgressText(16384 - left, 16384), "Odesláno " + std::to_string(16384 - left) +
                                                         " z 16384 bajtů, zbývá asi " + std::to_string(seconds) +
                                                         " s");
    }

    // A failed transfer keeps its first two lines and says what to do.
    WriteResult w;
    w.written = 4096;
    w.taken = 8192;
    w.reason = "Input/output error";
    w.cause = PortCause::Gone;
    const std::string failed = TransferFailedMessage(w, 16384, PortName::Com(1));
    EXPECT_EQ(Line(failed, 0), "Chyba pri odesílání");
    EXPECT_EQ(Line(failed, 1), "Odesláno 4096 z 16384 bajtů: Input/output error");
    EXPECT_NE(Line(failed, 2).find("resetujte"), std::string::npos) << failed;
    EXPECT_NE(Line(failed, 2).find("převodník"), std::string::npos) << failed;
    EXPECT_EQ(Line(failed, 3), "");
    // A port that took nothing gave the board nothing: no reset.
    w.taken = 0;
    w.written = 0;
    const std::string nothing = TransferFailedMessage(w, 16384, PortName::Com(1));
    EXPECT_EQ(nothing.find("resetujte"), std::string::npos) << nothing;
    EXPECT_NE(Line(nothing, 2).find("převodník"), std::string::npos) << nothing;
    w.taken = 8192;
    w.written = 4096;

    // A port that cannot be opened: the first two lines as ever, then what to do.
    OpenResult o;
    o.failure = PortFailure::CannotOpen;
    o.device = "/dev/ttyUSB0";
    o.reason = "Permission denied";
    o.cause = PortCause::NoPermission;
    std::string text = PortOpenMessage(o, PortName::Com(1), {});
    EXPECT_EQ(Line(text, 0), "COM nelze otevřít");
    EXPECT_EQ(Line(text, 1), "/dev/ttyUSB0: Permission denied");
#ifdef _WIN32
    EXPECT_NE(Line(text, 2).find("Správci zařízení"), std::string::npos) << text;
#else
    EXPECT_NE(Line(text, 2).find("sudo usermod -aG dialout "), std::string::npos) << text;
#endif
    o.cause = PortCause::NoDevice;
    text = PortOpenMessage(o, PortName::Com(3), {});
#ifdef _WIN32
    EXPECT_NE(Line(text, 2).find("set KTQ51_COM3=COM7"), std::string::npos) << text;
#else
    EXPECT_NE(Line(text, 2).find("Sériová zařízení tohoto počítače: "), std::string::npos) << text;
    EXPECT_NE(Line(text, 2).find("KTQ51_COM3"), std::string::npos) << text;
#endif
    o.failure = PortFailure::LineError;
    o.cause = PortCause::Other;
    EXPECT_EQ(PortOpenMessage(o, PortName::Com(1), {}), "Chyba linky\n/dev/ttyUSB0: Permission denied");
    o.setting = "speed";
    EXPECT_EQ(PortOpenMessage(o, PortName::Com(1), {}), "Chyba linky\n/dev/ttyUSB0: nastavení linky se neujalo (rychlost)");
    o.setting.clear();
    o.failure = PortFailure::CannotOpen;
    o.cause = PortCause::InUse;
    EXPECT_EQ(Line(PortOpenMessage(o, PortName::Com(1), {}), 1), "/dev/ttyUSB0: port používá jiný program");

    // A transfer that timed out says so.
    w.cause = PortCause::TimedOut;
    w.reason.clear();
    EXPECT_EQ(Line(TransferFailedMessage(w, 16384, PortName::Com(1)), 1), "Odesláno 4096 z 16384 bajtů: vypršel časový limit");
}

// How a port is named in the menu, the lists and the COM items' tooltips.
TEST(Messages, PortsAreNamedSoThatEachCanBeToldApart) {
    PortInfo port{"/dev/ttyUSB1", "/dev/ttyUSB1", "CP2105 Dual USB to UART Bridge Controller", "", "10c4:ea70", "", "",
                  true};
    port.interfaceName = "Standard COM Port";
    EXPECT_EQ(PortLabel(port), "/dev/ttyUSB1 – CP2105 Dual USB to UART Bridge Controller, Standard COM Port (10c4:ea70)");
    PortInfo builtIn{"COM1", "COM1", "", "", "", "", "", false};
    builtIn.builtIn = true;
    EXPECT_EQ(PortLabel(builtIn), "COM1 – vestavěný sériový port");
    const PortInfo virtualPort{"COM9", "COM9", "", "", "", "", "", false};
    EXPECT_EQ(PortLabel(virtualPort), "COM9 – sériový port") << "a port known only by name is not called built in";
    EXPECT_EQ(ComItemTooltip("/dev/pts/6", nullptr, true), "/dev/pts/6") << "it exists: it is no missing device";
    EXPECT_EQ(ComItemTooltip("/dev/ttyUSB7", nullptr, false), "/dev/ttyUSB7: nic není připojeno");
}

// The rules for an adapter without a port on Windows, over device
// properties as Device Manager records them (Wine lists no real device
// tree, so they are given here): the reason and a word of the fix.
TEST(Messages, AdaptersWithoutAPortAreExplainedByTheirProblemCode) {
    const struct {
        const char* vidPid;
        const char* revision;
        const char* description;
        int problem;
        const char* reason;
        const char* fixHas;
    } rows[] = {
        {"067b:2303", "0300", "PL2303HXA PHASED OUT SINCE 2012. PLEASE CONTACT YOUR SUPPLIER.", 10,
         "jde o čip PL2303HXA/XA, který současný ovladač Prolific odmítá (kód 10)", "starší ovladač Prolific"},
        {"067b:2303", "0400", "Prolific USB-to-Serial Comm Port", 10, "ovladač ho nedokázal spustit (kód 10)",
         "nejnovější ovladač"},
        {"1a86:7523", "0264", "USB2.0-Serial", 28, "nemá ovladač (kód 28)", "CH341SER"},
        {"2e8a:000a", "0100", "Pico", 28, "nemá ovladač (kód 28)", "usbser"},
        {"10c4:ea60", "0100", "CP2102", 43, "Windows ho zastavily, protože hlásil chyby (kód 43)", "jiné zásuvky"},
        {"0403:0000", "0600", "FT232R USB UART", 28, "má smazané ID výrobku (napodobenina čipu FTDI, kterou přepsal "
                                                     "ovladač FTDI z roku 2014)", "jiný převodník"},
    };
    for (const auto& row : rows) {
        PortInfo adapter;
        adapter.usb = true;
        adapter.vidPid = row.vidPid;
        adapter.revision = row.revision;
        adapter.description = row.description;
        adapter.trouble.problem = row.problem;
        const AdapterDiagnosis diagnosis = DiagnoseAdapter(adapter);
        EXPECT_EQ(diagnosis.reason, row.reason) << row.vidPid << " " << row.problem;
        EXPECT_NE(diagnosis.fix.find(row.fixHas), std::string::npos) << diagnosis.fix;
    }
    PortInfo ch340;
    ch340.usb = true;
    ch340.vidPid = "1a86:7523";
    ch340.trouble.problem = 28;
    EXPECT_TRUE(AdapterWithoutPortMessage(ch340).starts_with("Převodník CH340 (1a86:7523) je připojen, ale nemá ovladač"));
}

// Both tables have every key; a key's two forms take the same placeholders
// and begin and end alike (a caption's blank, a line's break); English has
// nothing Czech left but the names of the languages themselves.
TEST(Texts, EveryKeyHasBothFormsWithTheSamePlaceholders) {
    const std::regex placeholder(R"(\{[1-9]\})");
    // Alternatives, not a bracket: the letters are several bytes each.
    const std::regex czech("á|č|ď|é|ě|í|ň|ó|ř|š|ť|ú|ů|ý|ž|Á|Č|Ď|É|Ě|Í|Ň|Ó|Ř|Š|Ť|Ú|Ů|Ý|Ž|„");
    auto placeholders = [&](std::string_view text) {
        std::multiset<std::string> found;
        for (auto i = std::cregex_iterator(text.data(), text.data() + text.size(), placeholder);
             i != std::cregex_iterator(); ++i) {
            found.insert(i->str());
        }
        return std::set<std::string>(found.begin(), found.end());
    };
    auto ends = [](std::string_view text) {
        return std::pair{text.empty() ? ' ' : text.front(), text.empty() ? ' ' : text.back()};
    };
    auto check = [&](const char* key, std::string_view cs, std::string_view en) {
        SCOPED_TRACE(key);
        ASSERT_FALSE(cs.empty());
        ASSERT_FALSE(en.empty());
        EXPECT_EQ(placeholders(cs), placeholders(en));
        EXPECT_EQ(ends(cs).first == ' ' || ends(cs).first == '\n', ends(en).first == ' ' || ends(en).first == '\n');
        EXPECT_EQ(ends(cs).second == ' ' || ends(cs).second == '\n', ends(en).second == ' ' || ends(en).second == '\n');
        const bool namesALanguage = std::string_view(key) == "kMenuJazyk" || std::string_view(key) == "kLanguageCzech";
        EXPECT_TRUE(namesALanguage || !std::regex_search(en.begin(), en.end(), czech)) << en;
    };
#define KTQ51_CHECK_KEY(key) check(#key, kCzechTexts.key, kEnglishTexts.key);
    KTQ51_TEXT_KEYS(KTQ51_CHECK_KEY)
#undef KTQ51_CHECK_KEY

    // A message built from them follows the language chosen, also on another
    // thread, and a thread may hold to Czech for a report.
    HexResult r;
    r.line = 3;
    r.status = HexStatus::NoRecordStart;
    r.character = 'x';
    SetLanguage(Language::English);
    EXPECT_EQ(HexLoadMessage(r, "a.hex"), "Line 3 has the character “x” where a record should start with “:”\n"
                                          "The file is damaged");
    EXPECT_EQ(ConfirmBoards(1), "Do you really want to reprogram 1 KTQ - 51 board?");
    {
        const InLanguage czech(Language::Czech);
        EXPECT_EQ(Bytes(3), "3 bajty");
    }
    EXPECT_EQ(Bytes(3), "3 bytes");
    SetLanguage(Language::Czech);
    EXPECT_EQ(Bytes(1), "1 bajt");
}

}  // namespace
