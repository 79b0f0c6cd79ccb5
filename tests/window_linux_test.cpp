// What the window does on Linux that needs its own machinery: the fatal
// port failures, which end the process (death tests), a device locked by
// another program, and the whole job end to end with the board simulator.
#include <gtest/gtest.h>
#include <sys/file.h>

#include <QAction>
#include <iostream>

#include "Programator.h"
#include "board_simulator.h"
#include "fake_toolkit.h"
#include "memimage.h"
#include "scoped_variable.h"
#include "test_data.h"
#include "test_ports.h"

namespace {

// The fatal port failures end the process with status 1 before the window is
// shown; the box's text goes to standard error so the test can see it.
class FatalPortTest : public testing::Test {
protected:
    // The process ends at once, window and all still allocated: the leak
    // checker of the sanitizer build would take that for leaks.
    void SetUp() override { ::setenv("ASAN_OPTIONS", "detect_leaks=0", 1); }
    // The tests point COM numbers elsewhere: give every one its test port back.
    void TearDown() override {
        for (int n = 1; n <= kMenuPorts; ++n) TestLine(n).PlugIn();
    }

    static void StartWindow() {
        ScriptedToolkit toolkit;
        toolkit.EchoBoxes();
        TForm1 form(toolkit);
        std::cerr << "window created" << std::endl;
    }
};

TEST_F(FatalPortTest, MissingDeviceEndsTheProgramWithStatus1) {
    const ScopedVariable com1("KTQ51_COM1", "/nonexistent/ttyS0");
    EXPECT_EXIT(StartWindow(), testing::ExitedWithCode(1),
                "BOX\\[COM nelze otevřít\n/nonexistent/ttyS0: No such file or directory\n"
                "Sériová zařízení tohoto počítače: .*KTQ51_COM1");
}

// No COM1 at start, a USB adapter offered in its place, and Ne: the program
// ends as it would without the offer.
void StartRefusingTheOfferedAdapter() {
    ScriptedToolkit toolkit;
    toolkit.answers = {ModalResult::No};
    toolkit.EchoBoxes();
    const PortInfo adapter{"/dev/ttyUSB7", "/dev/ttyUSB7", "FT232R USB UART", "", "0403:6001", "", "", true};
    TForm1 form(toolkit, [&] { return std::vector<PortInfo>{adapter}; });
}

TEST_F(FatalPortTest, StartWithoutCom1RefusingTheAdapterEndsTheProgram) {
    const ScopedVariable com1("KTQ51_COM1", "/nonexistent/ttyS0");
    EXPECT_EXIT(StartRefusingTheOfferedAdapter(), testing::ExitedWithCode(1),
                "BOX\\[COM nelze otevřít\n.*\nPoužít místo něj /dev/ttyUSB7 – FT232R USB UART");
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
    const ScopedVariable com1("KTQ51_COM1", "/dev/null");
    EXPECT_EXIT(StartWindow(), testing::ExitedWithCode(1), "BOX\\[Chyba linky\n/dev/null: ");
}

TEST_F(FatalPortTest, ChoosingAMissingPortEndsTheProgram) {
    PtyPair com1;
    com1.MapAs(1);
    const ScopedVariable com2("KTQ51_COM2", "/nonexistent/ttyUSB0");
    EXPECT_EXIT(
        {
            ScriptedToolkit toolkit;
            toolkit.EchoBoxes();
            TForm1 form(toolkit);
            form.port2->trigger();
        },
        testing::ExitedWithCode(1), "BOX\\[COM nelze otevřít\n/nonexistent/ttyUSB0: ");
}

// The whole job: a real SDCC-made file, the real window, a pseudo-terminal
// and the board simulator, which reports what the board now holds.
TEST(EndToEnd, SimulatorReceivesExactlyTheFilesBytes) {
    BoardSimulator board(KTQ_SIMULATOR);
    const ScopedVariable com1("KTQ51_COM1", board.device());
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
    TestLine(1).PlugIn();
}

}  // namespace
