// A long run of the real window: load a file, program it, again and again,
// each time with the next committed valid file, into a reader on a
// pseudo-terminal. Every stream must be exact, and nothing may leak:
// descriptors, or memory beyond a little.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QAction>
#include <QDir>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <thread>

#include "Programator.h"
#include "StartupProbe.h"
#include "fake_toolkit.h"
#include "memimage.h"
#include "test_data.h"
#include "test_ports.h"
#include "transfer.h"
#include "window_send.h"

namespace {

using namespace std::chrono_literals;

std::size_t OpenDescriptors() {
    const auto entries = std::filesystem::directory_iterator("/proc/self/fd");
    return static_cast<std::size_t>(std::distance(begin(entries), end(entries)));
}

// What the board must receive for a file: its window as srec_cat wrote it,
// each byte as v 00 00 00.
std::vector<std::uint8_t> ExpectedStream(const QString& windowFile) {
    const std::vector<unsigned char> window = ReadFileBytes(windowFile.toStdString());
    std::vector<std::uint8_t> stream(kStreamBytes, 0);
    for (std::size_t i = 0; i < window.size() && i < kWindowCells; ++i) stream[4 * i] = window[i];
    return stream;
}

TEST(Soak, ThousandLoadAndProgramCycles) {
    const QDir data(kData);
    struct Case {
        QString hex;
        std::vector<std::uint8_t> stream;
    };
    std::vector<Case> cases;
    for (const QString& window : data.entryList({QStringLiteral("*.window.bin")}, QDir::Files, QDir::Name)) {
        const QString hex = data.filePath(window.chopped(int(std::strlen(".window.bin"))) + ".hex");
        if (QFile::exists(hex)) cases.push_back({hex, ExpectedStream(data.filePath(window))});
    }
    ASSERT_GE(cases.size(), 10u);

    MemImage = ErasedImage();
    ScriptedToolkit toolkit;
    TForm1 form(toolkit);
    const std::size_t descriptorsBefore = OpenDescriptors();
    long rssAt100 = 0, rssAt1000 = 0;
    int exact = 0;
    constexpr int kCycles = 1000;
    for (int cycle = 1; cycle <= kCycles; ++cycle) {
        const Case& c = cases[static_cast<std::size_t>(cycle) % cases.size()];
        toolkit.files = {c.hex};
        form.Otev1->trigger();
        exact += ProgramAndRead(form, toolkit, TestLine(1), ModalResult::Yes, 1000ms) == c.stream;
        if (cycle == 100) rssAt100 = ResidentKiB();
        if (cycle == kCycles) rssAt1000 = ResidentKiB();
    }
    const std::size_t descriptorsAfter = OpenDescriptors();
    std::cerr << "soak: " << kCycles << " cycles, " << exact << " streams exact, descriptors " << descriptorsBefore
              << " before / " << descriptorsAfter << " after, RSS " << rssAt100 << " KiB at cycle 100 / "
              << rssAt1000 << " KiB at cycle 1000" << std::endl;
    EXPECT_EQ(exact, kCycles);
    EXPECT_EQ(descriptorsAfter, descriptorsBefore);
    // Every box the scripted toolkit recorded is kept: two a cycle, a few
    // dozen bytes each. Beyond that the memory must stay flat.
#ifndef __SANITIZE_ADDRESS__  // AddressSanitizer holds freed memory back on purpose
    EXPECT_LE(rssAt1000 - rssAt100, 1024) << "resident memory grew by more than 1 MiB";
#endif
    MemImage = ErasedImage();
}

}  // namespace
