// The window's own code on real USB serial drivers, run inside the driver
// check's guest: with COM1 = /dev/ttyUSB0 (Debian's ftdi_sio on QEMU's
// emulated FTDI adapter), the host at the far end of the line checks what
// arrives, and pulls the adapter out and plugs it in when asked ("@@host
// REQUEST" on standard output, its answer on standard input); with COM1 =
// a cdc_acm port whose far end nobody reads, the line stalls.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QAction>
#include <QMenu>
#include <QTest>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <thread>

#include "Programator.h"
#include "fake_toolkit.h"
#include "memimage.h"
#include "transfer.h"

namespace {

using namespace std::chrono_literals;

constexpr const char* kAdapter = "/dev/ttyUSB0";

// Asks the host for something and returns its answer.
std::string AskHost(const std::string& request) {
    std::cout << "@@host " << request << std::endl;
    std::string answer;
    std::getline(std::cin, answer);
    return answer;
}

bool Exists(const char* path) {
    return ::access(path, F_OK) == 0;
}

// Waits up to 30 s until `path` exists or is gone, as `present` says.
bool WaitFor(const char* path, bool present) {
    for (int i = 0; i < 300; ++i) {
        if (Exists(path) == present) return true;
        std::this_thread::sleep_for(100ms);
    }
    return false;
}

class GuestAdapter : public testing::Test {
protected:
    void SetUp() override {
        MemImage = ErasedImage();
        const char* data = std::getenv("KTQ51_GUEST_DATA");
        ASSERT_NE(data, nullptr) << "KTQ51_GUEST_DATA names the folder of the HEX files";
        toolkit.files = {QString::fromUtf8(data) + "/sdcc_blink.hex"};
    }

    // Runs Programuj, answering Ano; returns the text of the result box.
    QString Programuj(TForm1& form) {
        toolkit.boxes.clear();
        toolkit.answers = {ModalResult::Yes, ModalResult::OK};
        form.Programuj1->trigger();
        return toolkit.boxes.size() == 2 ? toolkit.boxes[1].text : QStringLiteral("(no result box)");
    }

    // Programuj, and the host says the stream arrived exactly.
    // Programuj, and the host says the stream arrived exactly. The time
    // from Ano to the result box is told, to compare with the page's.
    void ExpectExactProgramuj(TForm1& form) {
        ASSERT_EQ(AskHost("expect"), "ok");
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(Programuj(form), "Programovani proběhlo v pořádku");
        std::printf("window-transfer-seconds=%.1f\n",
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        EXPECT_EQ(AskHost("stream"), "ok");
    }

    // Once the kernel has removed the pulled-out adapter, the host plugs it
    // in again: it must come back under its old name, which it does only
    // when the program let go of the dead device.
    static void ExpectBackUnderItsOldName() {
        ASSERT_TRUE(WaitFor(kAdapter, false)) << "the kernel did not remove the unplugged adapter";
        ASSERT_EQ(AskHost("plug"), "ok");
        ASSERT_TRUE(WaitFor(kAdapter, true)) << "the adapter did not come back as " << kAdapter;
        EXPECT_FALSE(Exists("/dev/ttyUSB1")) << "the adapter came back under a new name";
    }

    ScriptedToolkit toolkit;
};

// Programs through the adapter; the adapter is pulled out mid-transfer; the
// error box comes; plugged in again, the adapter is back under its old name,
// which only happens when the program let go of the dead device; and the
// next Programuj reaches the board exactly.
TEST_F(GuestAdapter, ProgramsSurvivesAnUnplugAndProgramsAgain) {
    TForm1 form(toolkit);
    form.Otev1->trigger();
    ASSERT_TRUE(toolkit.boxes.empty());

    ExpectExactProgramuj(form);

    ASSERT_EQ(AskHost("pull-after 2048"), "ok");
    const QString failed = Programuj(form);
    EXPECT_TRUE(failed.startsWith("Chyba pri odesílání\n")) << failed.toStdString();
    EXPECT_TRUE(failed.contains("Zařízení zmizelo")) << failed.toStdString();

    ASSERT_NO_FATAL_FAILURE(ExpectBackUnderItsOldName());
    ExpectExactProgramuj(form);
    EXPECT_FALSE(form.port1->isEnabled()) << "COM1 stays the selected port";
}

// The adapter pulled out while the window is idle: the window lets go of it
// at once, so it comes back under its old name, and the first Programuj
// after the replug is exact.
TEST_F(GuestAdapter, UnpluggedWhileIdleIsLetGoAndTheNextProgramujIsExact) {
    TForm1 form(toolkit);
    form.Otev1->trigger();
    ASSERT_EQ(AskHost("pull"), "ok");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !form.ComHandle.IsOpen(); }, 10000)) << "the dead device was kept";
    ASSERT_NO_FATAL_FAILURE(ExpectBackUnderItsOldName());
    ExpectExactProgramuj(form);
}

// With COM1 on the second UART, the adapter is a port of its own in the
// Nastavení menu, found by the listing as the user would see it; chosen, it
// carries the stream exactly.
TEST_F(GuestAdapter, MenuOffersTheAdapterAndChoosingItSendsExactly) {
    TForm1 form(toolkit);
    form.Otev1->trigger();
    emit form.Nastaven1->aboutToShow();
    QAction* adapter = nullptr;
    for (QAction* item : form.Ports->OtherItems()) {
        if (item->text().startsWith(QStringLiteral("/dev/ttyUSB0 – QEMU USB SERIAL (0403:6001)"))) adapter = item;
    }
    ASSERT_NE(adapter, nullptr) << "the menu does not offer the adapter";
    adapter->trigger();
    EXPECT_FALSE(adapter->isEnabled());
    ExpectExactProgramuj(form);
}

// On a line that takes nothing: Programuj ends with the time-out box, and
// the window then lets go of the port at once as it closes, not after the
// 30 s that the driver would wait for the bytes it still holds.
TEST(GuestStalledLine, TimesOutAndTheWindowClosesWithoutFreezing) {
    ScriptedToolkit toolkit;
    MemImage = ErasedImage();
    auto form = std::make_unique<TForm1>(toolkit);
    form->ComHandle.Timeouts().WriteTotalTimeoutMultiplier = 0;  // a short limit, so that the step takes a moment
    form->ComHandle.Timeouts().WriteTotalTimeoutConstant = 1000;
    toolkit.answers = {ModalResult::Yes, ModalResult::OK};
    form->Programuj1->trigger();
    ASSERT_EQ(toolkit.boxes.size(), 2u);
    EXPECT_TRUE(toolkit.boxes[1].text.contains(QStringLiteral("vypršel časový limit"))) << toolkit.boxes[1].text.toStdString();
    const auto closing = std::chrono::steady_clock::now();
    form.reset();
    const auto took = std::chrono::steady_clock::now() - closing;
    std::cout << "closing the window took " << std::chrono::duration<double>(took).count() << " s" << std::endl;
    EXPECT_LT(took, 2s) << "closing the window waited for the stalled line";
}

}  // namespace
