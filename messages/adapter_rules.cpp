// The rules, first match wins. Their sources:
// - Device Manager's problem codes (28: no driver installed, 10: the device
//   cannot start, 22: disabled, 43: stopped after reporting problems):
//   Microsoft, "Error messages in Device Manager" (Windows documentation).
// - PL2303HXA and PL2303XA were declared end-of-life by Prolific in 2012;
//   its later Windows drivers refuse them with code 10 and rename the
//   device "PL2303HXA PHASED OUT SINCE 2012. PLEASE CONTACT YOUR SUPPLIER"
//   (Prolific's end-of-life notice and its driver's FAQ); older drivers
//   still take them.
// - CH340/CH341 need WCH's CH341SER driver on Windows (WCH, the chip's
//   maker). On Ubuntu 22.04 and later the udev rules of the brltty package
//   (85-brltty.rules) have brltty, a Braille display daemon, take such
//   adapters through usbfs; the kernel log says "usbfs: interface 0 claimed
//   by ch341 while 'brltty' sets config #1".
// - An FTDI clone whose product ID reads 0000 had it erased by FTDI's
//   Windows drivers 2.11 and 2.12 (2014, FTDI's own statement on counterfeit
//   chips); no driver takes it as a serial adapter.
// - On Linux, the drivers that serve the chips: ftdi_sio, ch341, cp210x,
//   pl2303, cdc_acm (the kernel's drivers/usb/serial and drivers/usb/class).
#include "adapter_rules.h"

namespace {

// Where a chip's Windows driver comes from.
std::string WindowsDriverFix(const std::string& vidPid) {
    const SerialChips* chips = ChipsOf(vidPid);
    const TextTable& t = Text();
    switch (chips != nullptr ? chips->maker : ChipMaker::None) {
        case ChipMaker::Wch: return std::string(t.kFixWch);
        case ChipMaker::SiliconLabs: return std::string(t.kFixSiliconLabs);
        case ChipMaker::Prolific: return std::string(t.kFixProlific);
        case ChipMaker::Ftdi: return std::string(t.kFixFtdi);
        case ChipMaker::None: break;
    }
    return std::string(t.kFixUsbser);
}

}  // namespace

AdapterDiagnosis DiagnoseAdapter(const PortInfo& a) {
    const PortInfo::Trouble& t = a.trouble;
    const TextTable& x = Text();
    auto said = [](std::string_view reason, std::string_view fix) {
        return AdapterDiagnosis{std::string(reason), std::string(fix)};
    };
    const SerialChips* chips = ChipsOf(a.vidPid);
    if (chips != nullptr && chips->maker == ChipMaker::Prolific && t.problem == 10 &&
        (a.description.find("PHASED OUT") != std::string::npos || a.revision == "0300")) {
        return said(x.kWhyPhasedOut, x.kFixPhasedOut);
    }
    if (a.vidPid == "0403:0000") return said(x.kWhyErasedId, x.kFixErasedId);
    switch (t.problem) {
        case 0: break;
        case 28: return said(x.kWhyNoDriverCode, WindowsDriverFix(a.vidPid));
        case 10: return said(x.kWhyCannotStart, x.kFixCannotStart);
        case 22: return said(x.kWhyDisabled, x.kFixDisabled);
        case 43: return said(x.kWhyStopped, x.kFixStopped);
        default: return said(Format(x.kWhyProblem, {std::to_string(t.problem)}), x.kFixProblem);
    }
    if (t.boundDriver == "usbfs") {
        const std::string who = t.holder.empty() ? std::string(x.kAnotherProgram) : Format(x.kProgramNamed, {t.holder});
        return said(Format(x.kWhyTakenBy, {who}), t.holder.starts_with("brltty") ? x.kFixBrltty : x.kFixEndIt);
    }
    // The right driver has it, but made no port: its probe of the chip failed
    // (ch341 logs "failed to receive control message").
    if (!t.boundDriver.empty() && t.boundDriver == t.wantedDriver) {
        return said(Format(x.kWhyRefusedBy, {t.boundDriver}), x.kFixClone);
    }
    if (!t.boundDriver.empty()) {
        return said(t.wantedDriver.empty() ? Format(x.kWhyServedBy, {t.boundDriver})
                                           : Format(x.kWhyServedByNot, {t.boundDriver, t.wantedDriver}),
                    x.kFixReplug);
    }
    // Loaded, but it did not take the device: its probe refused it
    // (pl2303: "required interrupt-in endpoint missing"), or it was unbound.
    if (!t.wantedDriver.empty() && t.wantedLoaded) return said(Format(x.kWhyNotTaken, {t.wantedDriver}), x.kFixClone);
    if (!t.wantedDriver.empty()) return said(x.kWhyNoDriver, Format(x.kFixModprobe, {t.wantedDriver}));
    return said(x.kWhyNoPort, x.kFixReplug);
}

std::string AdapterName(const PortInfo& adapter) {
    std::string chip = ChipName(adapter.vidPid);
    if (chip.empty()) chip = adapter.description.empty() ? "USB" : adapter.description;
    return Format(Text().kAdapterName, {chip, adapter.vidPid});
}

std::string AdapterWithoutPortMessage(const PortInfo& adapter) {
    const AdapterDiagnosis diagnosis = DiagnoseAdapter(adapter);
    return Format(Text().kAdapterWithoutPort, {AdapterName(adapter), diagnosis.reason, diagnosis.fix});
}
