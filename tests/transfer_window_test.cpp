// Nástroje > Programuj and the port menu in the real window, over real
// pseudo-terminals, and the whole job end to end with the board simulator.
#include <gtest/gtest.h>

#include <sys/file.h>

#include <QAction>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <thread>

#include "Programator.h"
#include "board_simulator.h"
#include "fake_toolkit.h"
#include "hexfile.h"
#include "line_checks.h"
#include "memimage.h"
#include "test_ports.h"
#include "transfer.h"
#include "window_send.h"

namespace {

using namespace std::chrono_literals;

const QString kData = QStringLiteral(KTQ_TEST_DATA_DIR);

std::vector<std::uint8_t> Stream(const ImageCells& image) {
    const ProgrammingStream s = MakeProgrammingStream(image);
    return {s.begin(), s.end()};
}

class ProgramTest : public testing::Test {
protected:
    void SetUp() override { MemImage = ErasedImage(); }
    void TearDown() override { MemImage = ErasedImage(); }

    // Runs Programuj with `answer` to the question; returns what COM`port` received.
    std::vector<std::uint8_t> Program(TForm1& form, ModalResult answer, int port = 1) {
        return ProgramAndRead(form, toolkit, TestPort(port), answer);
    }

    ScriptedToolkit toolkit;
};

TEST_F(ProgramTest, AnsweringNoSendsNothing) {
    TForm1 form(toolkit);
    QString labelDuringQuestion;
    toolkit.onBox = [&](const ShownBox&) { labelDuringQuestion = form.Informace->text(); };
    for (ModalResult answer : {ModalResult::No, ModalResult::Cancel}) {
        toolkit.boxes.clear();
        EXPECT_TRUE(Program(form, answer).empty());
        ASSERT_EQ(toolkit.boxes.size(), 1u);
        EXPECT_EQ(toolkit.boxes[0].text, "Opravdu chcete přeprogramovat KTQ - 51?");
        EXPECT_EQ(toolkit.boxes[0].kind, MsgKind::Warning);
        EXPECT_EQ(toolkit.boxes[0].buttons, mbYes | mbNo);
        EXPECT_EQ(labelDuringQuestion, "Programuji... (cca 10s)");
        EXPECT_EQ(form.Informace->text(), "Programování zrušeno");
        EXPECT_EQ(toolkit.transfers, 0);
    }
}

TEST_F(ProgramTest, BeforeAnyLoadTheErasedWindowIsSent) {
    TForm1 form(toolkit);
    const std::vector<std::uint8_t> received = Program(form, ModalResult::Yes);
    ASSERT_EQ(received.size(), 16384u);
    for (std::size_t i = 0; i < received.size(); i += 4) {
        ASSERT_EQ(received[i], 0xFF) << i;
        ASSERT_EQ(received[i + 1] | received[i + 2] | received[i + 3], 0) << i;
    }
    ASSERT_EQ(toolkit.boxes.size(), 2u);
    EXPECT_EQ(toolkit.boxes[1].text, "Programovani proběhlo v pořádku");
    EXPECT_EQ(toolkit.boxes[1].kind, MsgKind::Information);
    EXPECT_EQ(toolkit.boxes[1].buttons, mbOK);
    EXPECT_TRUE(form.Informace->text().isEmpty());
    EXPECT_EQ(toolkit.progressTotal, 16384u);
    EXPECT_EQ(toolkit.lastProgress, 16384u);
}

TEST_F(ProgramTest, ExactlyTheWindowGoesOut) {
    TForm1 form(toolkit);
    MemImage[0x3001] = 0xAB;
    MemImage[0x3FFF] = 0x5A;
    const std::vector<std::uint8_t> received = Program(form, ModalResult::Yes);
    ASSERT_EQ(received.size(), 16384u);
    EXPECT_EQ((std::vector<std::uint8_t>(received.begin() + 4, received.begin() + 8)),
              (std::vector<std::uint8_t>{0xAB, 0, 0, 0}));
    EXPECT_EQ(received[16380], 0x5A);
    EXPECT_EQ(received, Stream(MemImage));
}

TEST_F(ProgramTest, AfterAFailedLoadThePreviousImageIsSent) {
    TForm1 form(toolkit);
    toolkit.files = {kData + "/srec_full.hex", kData + "/bad/checksum_middle.hex"};
    form.Otev1->trigger();
    const ImageCells loaded = MemImage;
    toolkit.answers = {ModalResult::Yes};
    form.Otev1->trigger();
    toolkit.boxes.clear();
    EXPECT_EQ(Program(form, ModalResult::Yes), Stream(loaded));
}

TEST_F(ProgramTest, StalledPeerGivesAnErrorAndAClearedLabel) {
    TForm1 form(toolkit);
    ComTimeouts.WriteTotalTimeoutMultiplier = 0;  // a short limit, so the test takes a moment
    ComTimeouts.WriteTotalTimeoutConstant = 300;
    TestPort(1).Stall();
    toolkit.answers = {ModalResult::Yes, ModalResult::OK};
    form.Programuj1->trigger();
    ASSERT_EQ(toolkit.boxes.size(), 2u);
    EXPECT_TRUE(toolkit.boxes[1].text.startsWith("Chyba pri odesílání\n")) << toolkit.boxes[1].text.toStdString();
    EXPECT_EQ(toolkit.boxes[1].kind, MsgKind::Error);
    EXPECT_EQ(toolkit.boxes[1].buttons, mbOK);
    EXPECT_TRUE(form.Informace->text().isEmpty());
}

TEST_F(ProgramTest, WindowCannotBeClosedMidTransfer) {
    TForm1 form(toolkit);
    form.show();
    bool visibleAfterClose = false;
    toolkit.onTransfer = [&] {
        form.close();
        visibleAfterClose = form.isVisible();
    };
    EXPECT_EQ(Program(form, ModalResult::Yes).size(), 16384u);
    EXPECT_TRUE(visibleAfterClose);
    form.close();  // once the transfer is over, it closes as usual
    EXPECT_FALSE(form.isVisible());
}

TEST_F(ProgramTest, VanishedDeviceGivesAnErrorAndTheProgramGoesOn) {
    TForm1 form(toolkit);
    form.show();
    TestPort(1).Stall();
    std::thread vanish([] {
        std::this_thread::sleep_for(100ms);
        TestPort(1).CloseMaster();
    });
    toolkit.answers = {ModalResult::Yes, ModalResult::OK};
    form.Programuj1->trigger();
    vanish.join();
    ASSERT_EQ(toolkit.boxes.size(), 2u);
    EXPECT_TRUE(toolkit.boxes[1].text.startsWith("Chyba pri odesílání\n"));
    EXPECT_TRUE(form.isVisible());
    form.Vytvoil1->trigger();  // the next command runs as usual
    EXPECT_EQ(toolkit.boxes.size(), 3u);
}

// A USB adapter pulled mid-transfer and plugged in again, under its stable
// name (a symlink, as /dev/serial/by-id/ has): the error comes, the port is
// given back, and the next Programuj reaches the new device without a
// restart. Many times over.
TEST_F(ProgramTest, UnpluggedAdapterIsReopenedByTheNextTransfer) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string byId = dir.filePath("usb-KTQ_adapter-if00-port0").toStdString();
    auto plug = [&](const PtyPair& device) {
        ::unlink(byId.c_str());
        ASSERT_EQ(::symlink(device.path().c_str(), byId.c_str()), 0) << std::strerror(errno);
    };
    auto first = std::make_unique<PtyPair>();
    plug(*first);
    ::setenv("KTQ51_COM1", byId.c_str(), 1);
    TForm1 form(toolkit);
    MemImage[0x3456] = 0x42;
    const std::vector<std::uint8_t> expected = Stream(MemImage);

    int errors = 0, exact = 0;
    constexpr int kCycles = 100;
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        // A board that holds the line, then the cable is pulled.
        first->Stall();
        std::thread pull([&] {
            std::this_thread::sleep_for(20ms);
            first->CloseMaster();
        });
        toolkit.boxes.clear();
        toolkit.answers = {ModalResult::Yes, ModalResult::OK};
        form.Programuj1->trigger();
        pull.join();
        ASSERT_EQ(toolkit.boxes.size(), 2u);
        errors += toolkit.boxes[1].text.startsWith("Chyba pri odesílání\n") &&
                  toolkit.boxes[1].text.contains("resetujte");

        // The adapter is back under the same name; the next transfer reaches it.
        auto second = std::make_unique<PtyPair>();
        plug(*second);
        toolkit.boxes.clear();
        const std::vector<std::uint8_t> received = ProgramAndRead(form, toolkit, *second);
        ASSERT_EQ(toolkit.boxes.size(), 2u);
        exact += toolkit.boxes[1].text == "Programovani proběhlo v pořádku" && received == expected;
        EXPECT_FALSE(form.port1->isEnabled()) << "COM1 stays the selected port";
        first = std::move(second);
    }
    std::cerr << "unplug cycles: " << kCycles << ", error boxes: " << errors << ", exact retries: " << exact
              << std::endl;
    EXPECT_EQ(errors, kCycles);
    EXPECT_EQ(exact, kCycles);
    ::setenv("KTQ51_COM1", TestPort(1).path().c_str(), 1);
}

// Gone for good: the reopen fails, the user is told, the program goes on.
TEST_F(ProgramTest, ReopenThatFailsIsReportedAndTheProgramGoesOn) {
    auto adapter = std::make_unique<PtyPair>();
    adapter->MapAs(1);
    TForm1 form(toolkit);
    adapter->Stall();
    std::thread pull([&] {
        std::this_thread::sleep_for(20ms);
        adapter->CloseMaster();
    });
    toolkit.answers = {ModalResult::Yes, ModalResult::OK};
    form.Programuj1->trigger();
    pull.join();
    ::setenv("KTQ51_COM1", "/nonexistent/ttyUSB0", 1);
    toolkit.boxes.clear();
    toolkit.answers = {ModalResult::Yes, ModalResult::OK};
    form.Programuj1->trigger();
    ASSERT_EQ(toolkit.boxes.size(), 2u);
    EXPECT_TRUE(toolkit.boxes[1].text.startsWith("COM nelze otevřít\n/nonexistent/ttyUSB0: "))
        << toolkit.boxes[1].text.toStdString();
    EXPECT_EQ(toolkit.boxes[1].kind, MsgKind::Error);
    EXPECT_EQ(toolkit.boxes[1].buttons, mbOK);
    EXPECT_TRUE(form.Informace->text().isEmpty());
    EXPECT_FALSE(form.port1->isEnabled());
    ::setenv("KTQ51_COM1", TestPort(1).path().c_str(), 1);
}

TEST_F(ProgramTest, ChoosingCom3SwitchesTheLineAndTheMenu) {
    TForm1 form(toolkit);
    form.port3->trigger();
    EXPECT_TRUE(form.port1->isEnabled());
    EXPECT_TRUE(form.port2->isEnabled());
    EXPECT_FALSE(form.port3->isEnabled());
    EXPECT_TRUE(form.port4->isEnabled());
    EXPECT_TRUE(form.port5->isEnabled());
    EXPECT_TRUE(Is19200EightNoneOneRaw(TestPort(3).SlaveSettings()));
    // COM1 is free again, and the data now goes to COM3.
    PortHandle again;
    CommStateRecord state{};
    CommTimeouts timeouts;
    EXPECT_TRUE(OpenAndConfigure(0, again, state, timeouts).ok());
    again.Close();
    EXPECT_EQ(Program(form, ModalResult::Yes, 3).size(), 16384u);
    form.port1->trigger();
    EXPECT_FALSE(form.port1->isEnabled());
    EXPECT_TRUE(form.port3->isEnabled());
}

// The fatal port failures end the process with status 1 before the window is
// shown; the box's text goes to standard error so the test can see it.
class FatalPortTest : public testing::Test {
protected:
    // The process ends at once, window and all still allocated: the leak
    // checker of the sanitizer build would take that for leaks.
    void SetUp() override { ::setenv("ASAN_OPTIONS", "detect_leaks=0", 1); }

    static void StartWindow() {
        ScriptedToolkit toolkit;
        toolkit.onBox = [](const ShownBox& box) { std::cerr << "BOX[" << box.text.toStdString() << "]" << std::endl; };
        TForm1 form(toolkit);
        std::cerr << "window created" << std::endl;
    }
};

TEST_F(FatalPortTest, MissingDeviceEndsTheProgramWithStatus1) {
    ::setenv("KTQ51_COM1", "/nonexistent/ttyS0", 1);
    EXPECT_EXIT(StartWindow(), testing::ExitedWithCode(1),
                "BOX\\[COM nelze otevřít\n/nonexistent/ttyS0: No such file or directory\n"
                "Sériová zařízení tohoto počítače: .*KTQ51_COM1");
}

TEST_F(FatalPortTest, DeviceHeldByAnotherProgramEndsTheProgram) {
    PtyPair held;
    held.MapAs(1);
    const int other = ::open(held.path().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
    EXPECT_EXIT(StartWindow(), testing::ExitedWithCode(1), "BOX\\[COM nelze otevřít\n.*: port používá jiný program\nPort drží jiný program");
    ::close(other);
}

TEST_F(FatalPortTest, DeviceThatIsNoSerialLineIsALineError) {
    ::setenv("KTQ51_COM1", "/dev/null", 1);
    EXPECT_EXIT(StartWindow(), testing::ExitedWithCode(1), "BOX\\[Chyba linky\n/dev/null: ");
}

TEST_F(FatalPortTest, ChoosingAMissingPortEndsTheProgram) {
    PtyPair com1;
    com1.MapAs(1);
    ::setenv("KTQ51_COM2", "/nonexistent/ttyUSB0", 1);
    EXPECT_EXIT(
        {
            ScriptedToolkit toolkit;
            toolkit.onBox = [](const ShownBox& box) { std::cerr << "BOX[" << box.text.toStdString() << "]" << std::endl; };
            TForm1 form(toolkit);
            form.port2->trigger();
        },
        testing::ExitedWithCode(1), "BOX\\[COM nelze otevřít\n/nonexistent/ttyUSB0: ");
}

// The whole job: a real SDCC-made file, the real window, a pseudo-terminal
// and the board simulator, which reports what the board now holds.
TEST(EndToEnd, SimulatorReceivesExactlyTheFilesBytes) {
    BoardSimulator board(KTQ_SIMULATOR);
    ::setenv("KTQ51_COM1", board.device().c_str(), 1);
    MemImage = ErasedImage();
    ScriptedToolkit toolkit;
    TForm1 form(toolkit);
    toolkit.files = {kData + "/sdcc_blink.hex"};
    form.Otev1->trigger();
    toolkit.answers = {ModalResult::Yes, ModalResult::OK};
    form.Programuj1->trigger();
    ASSERT_EQ(toolkit.boxes.size(), 2u);
    EXPECT_EQ(toolkit.boxes[1].text, "Programovani proběhlo v pořádku");
    EXPECT_TRUE(board.HoldsExactly(KTQ_TEST_DATA_DIR "/sdcc_blink.window.bin"));
    MemImage = ErasedImage();
    ::setenv("KTQ51_COM1", TestPort(1).path().c_str(), 1);
}

}  // namespace
