// The serial layer's values, without a port: how a port is named and mapped,
// what a write has achieved by the device's counts, and the stream.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "departures.h"
#include "port.h"
#include "scoped_variable.h"
#include "transfer.h"

namespace {

using namespace std::chrono_literals;

TEST(PortNameTest, MenuPortsMapThroughTheEnvironmentDevicesAreThemselves) {
    const PortName com2 = PortName::Com(2);
    EXPECT_EQ(com2.Name(), "COM2");
    EXPECT_EQ(com2.Variable(), "KTQ51_COM2");
    const ScopedVariable mapped("KTQ51_COM2", "/dev/ttyUSB0");
    EXPECT_EQ(com2.Device(), "/dev/ttyUSB0");
    ScopedVariable::Set("KTQ51_COM2", "");  // set but empty, or unset: the system's default
#ifdef _WIN32
    EXPECT_EQ(com2.Device(), "COM2");
#else
    EXPECT_EQ(com2.Device(), "/dev/ttyS1");
#endif
    EXPECT_EQ(PortName::Com(6).Device(), "") << "no COM6 in the menu";
    EXPECT_EQ(PortName::Com(6).Variable(), "");

}

// What a user may give as a port: COM1..COM5 in any case are the menu's,
// "auto" in any case the only adapter, anything else a device as it is.
TEST(PortNameTest, ParsingTakesCaseAutoAndDevicesAsGiven) {
    const struct {
        const char* text;
        bool automatic;
        int com;  // 0: a device named as given
    } rows[] = {
        {"COM3", false, 3},         {"com5", false, 5},           {"Com3", false, 3},
        {"cOM1", false, 1},         {"auto", true, 0},            {"AUTO", true, 0},
        {"Auto", true, 0},          {"COM6", false, 0},           {"COM12", false, 0},
        {"COM0", false, 0},         {"COM", false, 0},            {"/dev/ttyUSB0", false, 0},
        {"\\\\.\\COM12", false, 0},  {"autom", false, 0},
    };
    for (const auto& row : rows) {
        const PortArgument given = ParsePortArgument(row.text);
        EXPECT_EQ(given.automatic, row.automatic) << row.text;
        if (row.automatic) continue;
        EXPECT_EQ(given.port, PortName::Parse(row.text)) << row.text;
        if (row.com != 0) {
            EXPECT_EQ(given.port, PortName::Com(row.com)) << row.text;
            continue;
        }
        EXPECT_FALSE(given.port.IsMenuPort()) << row.text;
        EXPECT_EQ(given.port.Name(), row.text);
        EXPECT_EQ(given.port.Device(), row.text);
        EXPECT_EQ(given.port.Variable(), "");
    }
#ifdef _WIN32
    EXPECT_EQ(SystemPath("COM12"), "\\\\.\\COM12");
    EXPECT_EQ(SystemPath("\\\\.\\COM12"), "\\\\.\\COM12") << "a name with the prefix is taken as it is";
#endif
}

// Each row: the port takes some bytes, then says how many it still queues;
// what has left, and what is sure should the device vanish now.
TEST(DeparturesTest, CountsWhatLeftAndWhatIsSure) {
    const struct {
        std::size_t took, queued;
        bool changed;
        std::size_t left, confirmed;
    } steps[] = {
        {4096, 4096, false, 0, 0},     // all still queued
        {0, 1024, true, 3072, 0},      // 3 KB left
        {4096, 5120, false, 3072, 3072},
        {0, 9000, false, 3072, 3072},  // more queued than taken: counts as all queued
        {8192, 0, true, 16384, 3072},  // all left, not yet sure
        {0, 0, false, 16384, 16384},   // asked once more: done
    };
    Departures d(16384, Departures::Clock::now() + 1s);
    for (const auto& step : steps) {
        d.Took(step.took);
        EXPECT_EQ(d.Queued(step.queued), step.changed) << step.took << "/" << step.queued;
        EXPECT_EQ(d.Left(), step.left);
        EXPECT_EQ(d.Confirmed(), step.confirmed);
    }
    EXPECT_TRUE(d.AllTaken());
    EXPECT_TRUE(d.AllConfirmed());

    Departures cut(16384, Departures::Clock::now() + 1s);
    cut.Took(8192);
    cut.Queued(4096);
    cut.Queued(2048);
    EXPECT_EQ(cut.Sent(false), 6144u) << "timed out: what left";
    EXPECT_EQ(cut.Sent(true), 4096u) << "gone: only what had left before the last answer";
}

TEST(DeparturesTest, TimeLeftIsRoundedUpAndCapped) {
    const auto now = Departures::Clock::now();
    const Departures d(1, now + 250ms + 100us);
    EXPECT_EQ(d.TimeLeft(now, 1000ms), 251ms);
    EXPECT_EQ(d.TimeLeft(now, 100ms), 100ms);
    EXPECT_EQ(d.TimeLeft(now + 1s, 100ms), 0ms);
    EXPECT_EQ(WriteLimit(CommTimeouts{}, 16384), 163850ms);
    EXPECT_EQ(WriteLimit(CommTimeouts{}, 0), 10ms);
    EXPECT_EQ(WriteLimit(CommTimeouts{0, 0, 0, 300}, 16384), 300ms);
}

TEST(ProgrammingStreamTest, EachCellAsLittleEndian32Bits) {
    auto image = std::make_unique<ImageCells>(ErasedImage());
    (*image)[0x3001] = 0xAB;
    (*image)[0x3FFF] = 0x00;
    (*image)[0x2FFF] = 0x12;  // below the window: not sent
    const ProgrammingStream s = MakeProgrammingStream(*image);
    ASSERT_EQ(s.size(), 16384u);
    EXPECT_EQ((std::vector<std::uint8_t>(s.begin(), s.begin() + 8)),
              (std::vector<std::uint8_t>{0xFF, 0, 0, 0, 0xAB, 0, 0, 0}));
    EXPECT_EQ((std::vector<std::uint8_t>(s.end() - 4, s.end())), (std::vector<std::uint8_t>{0, 0, 0, 0}));
    (*image)[0x3000] = 799;  // a value above a byte goes out as its four bytes
    EXPECT_EQ(MakeProgrammingStream(*image)[1], 0x03);
}

}  // namespace
