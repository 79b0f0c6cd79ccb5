// ktq51-flash's command line without running it: which option lines are
// refused and why, and its board lines fitted to the terminal.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "flash_texts.h"
#include "options.h"
#include "terminal_lines.h"

namespace {

std::vector<std::string> Words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

TEST(CommandLine, LinesThatCannotMeanWhatTheySayAreRefused) {
    const struct {
        const char* line;
        std::string refusal;  // empty: accepted
    } cases[] = {
        {"b.hex", ""},
        {"--all --wait 5 b.hex", ""},
        {"--port COM3 --port /dev/ttyUSB0 --wait 2 --report r.csv b.hex", ""},
        {"--each b.hex", ""},
        {"--each 3 --yes b.hex", ""},
        {"--each 99999999999999999999 b.hex", BadCount("--each", "99999999999999999999")},
        {"--each 0 b.hex", BadCount("--each", "0")},
        {"--report a.csv --report b.csv b.hex", GivenTwice("--report")},
        {"--stream-out b.hex b.hex", StreamOutIsTheFile("b.hex")},
        {"-- --check", ""},  // a file named so
        {"--each --port COM1 b.hex", std::string(Text().kEachAlone)},
        {"--each --watch b.hex", std::string(Text().kEachAlone)},
        {"--erase --watch", std::string(Text().kWatchNeedsFile)},
        {"--erase b.hex", std::string(Text().kEraseAlone)},
        {"", std::string(Text().kMissingFile)},
        {"a.hex b.hex", std::string(Text().kOneFileOnly)},
        {"--check --stream-out o.bin b.hex", std::string(Text().kCheckAndStreamOut)},
        {"--check --report r.csv b.hex", NothingIsSent("--check")},
        {"--stream-out o.bin --all b.hex", NothingIsSent("--stream-out")},
        {"--timeout 8 b.hex", TimeoutTooShort("8", 9)},
        {"--wait 0 b.hex", BadSeconds("--wait", "0")},
        {"--port", MissingValue("--port")},
        {"--frobnicate b.hex", UnknownOption("--frobnicate")},
        {"--lang en b.hex", ""},
        {"--lang de b.hex", BadLanguage("--lang", "de")},
        {"--lang en --lang cs b.hex", GivenTwice("--lang")},
    };
    for (const auto& c : cases) {
        std::string error;
        const std::optional<Options> options = Parse(Words(c.line), error);
        EXPECT_EQ(options.has_value(), c.refusal.empty()) << c.line;
        EXPECT_EQ(error, c.refusal) << c.line;
    }
    std::string error;
    EXPECT_FALSE(Parse({"--report", "", "b.hex"}, error)) << "an empty report name, as an unset variable gives";
    EXPECT_EQ(error, MissingValue("--report"));
    const std::optional<Options> each = Parse(Words("--each 3 b.hex"), error);
    ASSERT_TRUE(each);
    EXPECT_EQ(each->each, 3u);
    EXPECT_TRUE(each->Set());
    // --lang over KTQ51_LANG, the last one that names a language; Czech else.
    // A variable naming no language is refused only where --lang does not say.
    error.clear();
    EXPECT_EQ(LanguageOf(Words("--lang en b.hex"), "cs", error), Language::English);
    EXPECT_EQ(LanguageOf(Words("--lang de b.hex"), "en", error), Language::English);
    EXPECT_EQ(LanguageOf(Words("-- --lang en"), nullptr, error), Language::Czech);
    EXPECT_EQ(LanguageOf(Words("--lang en b.hex"), "fr", error), Language::English);
    EXPECT_EQ(error, "");
    EXPECT_EQ(LanguageOf(Words("b.hex"), "fr", error), Language::Czech);
    EXPECT_EQ(error, BadLanguage("KTQ51_LANG", "fr"));
}

// Characters on the screen: UTF-8 continuation bytes take no column.
std::size_t Columns(const std::string& text) {
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

TEST(CommandLine, BoardLinesFitTheTerminal) {
    const std::string name = "1-1.4 (/dev/ttyUSB3)";
    const std::string result = "Chyba pri odesílání – Odesláno 0 z 16384 bajtů: vypršel časový limit";
    for (const int columns : {0, 40, 60, 80, 132}) {
        const std::size_t room = columns == 0 ? 79 : static_cast<std::size_t>(columns - 1);
        for (const std::string& line : {BoardLine(name, 8192, 16384, std::nullopt, columns),
                                        BoardLine(name, 0, 16384, result, columns),
                                        BoardLine({}, 16384, 16384, std::nullopt, columns)}) {
            EXPECT_LE(Columns(line), room) << columns << ": " << line;
        }
    }
    // Wide enough: the whole bar and text; narrower: the bar first, then the text, gives way.
    EXPECT_EQ(BoardLine(name, 8192, 16384, std::nullopt, 132),
              name + ": [############............] Odesláno 8192 z 16384 bajtů, zbývá asi 5 s");
    EXPECT_EQ(BoardLine(name, 8192, 16384, std::nullopt, 80),
              name + ": [######......] Odesláno 8192 z 16384 bajtů, zbývá asi 5 s");
    EXPECT_EQ(BoardLine(name, 0, 16384, result, 60), name + ": Chyba pri odesílání – Odesláno 0 z 1…");
    EXPECT_EQ(BoardLine(name, 8192, 16384, std::nullopt, 70), name + ": Odesláno 8192 z 16384 bajtů, zbývá asi 5 s");
}

}  // namespace
