// The Linux port listing over a copy of a machine's sysfs and /dev: the
// driver check's guest (an FTDI adapter, two UARTs, two built-in ports with
// no UART behind them), and what the guest cannot make, written by hand (a
// CDC-ACM board, a CH340, a dual-port CP2105 behind a hub, built-in ports
// of a kernel before 5.7, udev's /dev/serial/by-id links).
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "adapter_rules.h"
#include "port_list.h"
#include "sysfs_tree.h"
#include "test_data.h"

namespace {

namespace fs = std::filesystem;

class PortListTest : public testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / ("ktq51-sysfs-" + std::to_string(::getpid()));
        fs::remove_all(root_);
        for (const char* listing : {"guest.txt", "by-hand.txt"}) RebuildTree(fs::path(kTestData) / "sysfs" / listing, root_);
    }
    void TearDown() override { fs::remove_all(root_); }
    fs::path root_;
};

TEST_F(PortListTest, ListsAdaptersFirstWithTheirUsbDetailsAndLeavesOutPortsWithoutHardware) {
    const std::string dev = (root_ / "dev").string();
    const std::vector<PortInfo> all = ListPortsUnder(root_ / "sys", root_ / "dev", root_ / "proc");
    std::vector<PortInfo> ports, withoutPort;
    for (const PortInfo& p : all) (p.HasPort() ? ports : withoutPort).push_back(p);
    const struct {
        const char* name;
        const char* description;
        const char* manufacturer;
        const char* vidPid;
        const char* serial;
        const char* stable;
        bool usb;
        const char* adapter;
        const char* interfaceName;
        int interfaceNumber;
    } expected[] = {
        {"ttyACM0", "Arduino Uno", "Arduino (www.arduino.cc)", "2341:0043", "85734323231351E0E1C1",
         "usb-Arduino__www.arduino.cc__Arduino_Uno_85734323231351E0E1C1-if00", true, "1-2", "", -1},
        {"ttyUSB0", "QEMU USB SERIAL", "QEMU", "0403:6001", "1-0000:00:02.0-1",
         "usb-QEMU_QEMU_USB_SERIAL_1-0000:00:02.0-1-if00-port0", true, "1-1", "", -1},
        {"ttyUSB2", "CP2105 Dual USB to UART Bridge Controller", "Silicon Labs", "10c4:ea70", "00F2C1A4", "", true,
         "1-4.2", "Enhanced COM Port", 0},
        {"ttyUSB3", "CP2105 Dual USB to UART Bridge Controller", "Silicon Labs", "10c4:ea70", "00F2C1A4", "", true,
         "1-4.2", "Standard COM Port", 1},
        {"ttyUSB10", "USB2.0-Serial", "", "1a86:7523", "", "", true, "1-3", "", -1},
        {"ttyS0", "", "", "", "", "", false, "", "", -1},
        {"ttyS1", "", "", "", "", "", false, "", "", -1},
        {"ttyS5", "", "", "", "", "", false, "", "", -1},
    };
    ASSERT_EQ(ports.size(), std::size(expected))
        << "ttyS2 and ttyS3 have no UART, nor has ttyS4 on the serial8250 device: they are no ports";
    for (std::size_t i = 0; i < ports.size(); ++i) {
        const auto& e = expected[i];
        const PortInfo& p = ports[i];
        EXPECT_EQ(p.name, dev + "/" + e.name);
        EXPECT_EQ(p.device, p.name);
        EXPECT_EQ(p.description, e.description) << e.name;
        EXPECT_EQ(p.manufacturer, e.manufacturer) << e.name;
        EXPECT_EQ(p.vidPid, e.vidPid) << e.name;
        EXPECT_EQ(p.serial, e.serial) << e.name;
        EXPECT_EQ(p.stableName, *e.stable ? dev + "/serial/by-id/" + e.stable : "") << e.name;
        EXPECT_EQ(p.usb, e.usb) << e.name;
        EXPECT_EQ(p.builtIn, !e.usb) << e.name;
        EXPECT_EQ(p.adapter, e.adapter) << e.name;
        EXPECT_EQ(p.interfaceName, e.interfaceName) << e.name;
        EXPECT_EQ(p.interfaceNumber, e.interfaceNumber) << e.name;
    }
    EXPECT_EQ(CountAdapters(ports), 4u) << "the CP2105's two ports are one adapter";

    // Adapters without a port, last, each with why: a CH340 that brltty
    // holds through usbfs, a CP2102 and a CDC-ACM board whose drivers are
    // not loaded.
    const struct {
        const char* vidPid;
        const char* location;
        const char* reason;
        const char* fixHas;
    } lacking[] = {
        {"1a86:7523", "1-5", "převzal ho program brltty (PID 812)", "sudo apt remove brltty"},
        {"10c4:ea60", "1-6", "nemá ovladač", "sudo modprobe cp210x"},
        {"2e8a:000a", "1-7", "nemá ovladač", "sudo modprobe cdc_acm"},
    };
    ASSERT_EQ(withoutPort.size(), std::size(lacking));
    EXPECT_TRUE(std::all_of(all.end() - 3, all.end(), [](const PortInfo& p) { return !p.HasPort(); })) << "they come last";
    for (std::size_t i = 0; i < withoutPort.size(); ++i) {
        EXPECT_EQ(withoutPort[i].vidPid, lacking[i].vidPid);
        EXPECT_EQ(withoutPort[i].location, lacking[i].location);
        const AdapterDiagnosis diagnosis = DiagnoseAdapter(withoutPort[i]);
        EXPECT_EQ(diagnosis.reason, lacking[i].reason) << lacking[i].vidPid;
        EXPECT_NE(diagnosis.fix.find(lacking[i].fixHas), std::string::npos) << diagnosis.fix;
    }

    // A port is found by its device or by its stable name.
    EXPECT_EQ(FindPort(ports, dev + "/ttyUSB0"), &ports[1]);
    EXPECT_EQ(FindPort(ports, ports[0].stableName), &ports[0]);
    EXPECT_EQ(FindPort(ports, dev + "/ttyS2"), nullptr);
}

// ModemManager tries a cdc_acm board that speaks AT commands as a modem,
// unless udev marks it to be left alone; what it does then cannot be seen
// from another user, only that it runs.
TEST_F(PortListTest, ModemManagerIsNamedWhereItMayTryTheBoard) {
    const fs::path udev = root_ / "run" / "udev" / "data";
    auto probing = [&](const char* tty) { return ModemManagerProbingUnder(root_ / "sys", udev, root_ / "proc", tty); };
    EXPECT_EQ(probing("ttyACM0"), "ModemManager (PID 900)");
    EXPECT_EQ(probing("ttyUSB0"), "") << "an FTDI adapter is no modem";
    fs::create_directories(udev);
    std::ofstream(udev / "c166:0") << "E:ID_VENDOR_ID=2341\nE:ID_MM_DEVICE_IGNORE=1\n";
    EXPECT_EQ(probing("ttyACM0"), "") << "udev marks it to be left alone";
    fs::remove(udev / "c166:0");
    std::ofstream(root_ / "sys/devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/bInterfaceProtocol") << "00\n";
    EXPECT_EQ(probing("ttyACM0"), "") << "a board that speaks no AT commands";
    EXPECT_TRUE(CdcAcmInterface({"USB\\DevClass_EF&SubClass_02", "USB\\Class_02&SubClass_02&Prot_01"}));
    EXPECT_FALSE(CdcAcmInterface({"USB\\DevClass_EF&SubClass_02&Prot_01", "USB\\COMPOSITE"}));
}

TEST(PortOrderTest, AdaptersFirstThenNamesAsAPersonReadsThem) {
    const PortInfo com10{"COM10", "COM10", "", "", "", "", "", true};
    const PortInfo com2{"COM2", "COM2", "", "", "", "", "", true};
    const PortInfo com1{"COM1", "COM1", "", "", "", "", "", false};
    EXPECT_TRUE(ListedBefore(com2, com10));
    EXPECT_FALSE(ListedBefore(com10, com2));
    EXPECT_TRUE(ListedBefore(com10, com1)) << "a USB adapter comes before a built-in port";
    // Digit runs of any length, leading zeros aside, compare as numbers.
    const PortInfo huge{"/dev/ttyX123456789012345678901234", "", "", "", "", "", "", true};
    const PortInfo small{"/dev/ttyX0099", "", "", "", "", "", "", true};
    EXPECT_TRUE(ListedBefore(small, huge));
    EXPECT_FALSE(ListedBefore(huge, small));
}

}  // namespace
