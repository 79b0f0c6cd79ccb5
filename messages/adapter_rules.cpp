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
    switch (chips != nullptr ? chips->maker : ChipMaker::None) {
        case ChipMaker::Wch: return "Nainstalujte ovladač CH341SER od výrobce čipu (WCH) a převodník připojte znovu.";
        case ChipMaker::SiliconLabs: return "Nainstalujte ovladač CP210x VCP od Silicon Labs a převodník připojte znovu.";
        case ChipMaker::Prolific: return "Nainstalujte ovladač PL2303 od Prolificu a převodník připojte znovu.";
        case ChipMaker::Ftdi: return "Nainstalujte ovladač FTDI VCP a převodník připojte znovu.";
        case ChipMaker::None: break;
    }
    return "Windows 10 a novější mají ovladač usbser: převodník připojte znovu; starší Windows potřebují soubor .inf "
           "od výrobce desky.";
}

}  // namespace

AdapterDiagnosis DiagnoseAdapter(const PortInfo& a) {
    const PortInfo::Trouble& t = a.trouble;
    const SerialChips* chips = ChipsOf(a.vidPid);
    if (chips != nullptr && chips->maker == ChipMaker::Prolific && t.problem == 10 &&
        (a.description.find("PHASED OUT") != std::string::npos || a.revision == "0300")) {
        return {"jde o čip PL2303HXA/XA, který současný ovladač Prolific odmítá (kód 10)",
                "Nainstalujte starší ovladač Prolific (z doby před rokem 2012), který tento čip ještě bere, nebo "
                "použijte převodník s jiným čipem."};
    }
    if (a.vidPid == "0403:0000") {
        return {"má smazané ID výrobku (napodobenina čipu FTDI, kterou přepsal ovladač FTDI z roku 2014)",
                "Žádný ovladač ho jako sériový převodník nevezme: použijte jiný převodník."};
    }
    switch (t.problem) {
        case 0: break;
        case 28: return {"nemá ovladač (kód 28)", WindowsDriverFix(a.vidPid)};
        case 10:
            return {"ovladač ho nedokázal spustit (kód 10)",
                    "Odpojte převodník a připojte ho znovu; když to nepomůže, nainstalujte nejnovější ovladač od "
                    "výrobce čipu."};
        case 22: return {"je zakázaný (kód 22)", "Povolte ho ve Správci zařízení."};
        case 43:
            return {"Windows ho zastavily, protože hlásil chyby (kód 43)",
                    "Připojte ho do jiné zásuvky USB nebo jiným kabelem."};
        default:
            return {"má ve Správci zařízení problém s kódem " + std::to_string(t.problem),
                    "Podívejte se na něj ve Správci zařízení, Porty COM a LPT."};
    }
    if (t.boundDriver == "usbfs") {
        const std::string who = t.holder.empty() ? "jiný program" : "program " + t.holder;
        if (t.holder.starts_with("brltty")) {
            return {"převzal ho " + who,
                    "brltty (program pro Braillův řádek) si bere převodníky CH340: odinstalujte ho příkazem "
                    "„sudo apt remove brltty“ a převodník připojte znovu."};
        }
        return {"převzal ho " + who, "Ukončete ho a převodník připojte znovu."};
    }
    const std::string clone =
        "Odpojte převodník a připojte ho znovu; když to nepomůže, jde nejspíš o napodobeninu čipu, kterou ovladač "
        "neumí: použijte jiný převodník.";
    // The right driver has it, but made no port: its probe of the chip failed
    // (ch341 logs "failed to receive control message").
    if (!t.boundDriver.empty() && t.boundDriver == t.wantedDriver) {
        return {"ovladač " + t.boundDriver + " ho odmítl: port nevytvořil", clone};
    }
    if (!t.boundDriver.empty()) {
        return {"obsluhuje ho ovladač " + t.boundDriver + (t.wantedDriver.empty() ? "" : ", ne " + t.wantedDriver),
                "Odpojte převodník a připojte ho znovu."};
    }
    // Loaded, but it did not take the device: its probe refused it
    // (pl2303: "required interrupt-in endpoint missing"), or it was unbound.
    if (!t.wantedDriver.empty() && t.wantedLoaded) return {"ovladač " + t.wantedDriver + " ho nepřevzal", clone};
    if (!t.wantedDriver.empty()) {
        return {"nemá ovladač", "Nahrajte ovladač příkazem „sudo modprobe " + t.wantedDriver +
                                    "“ a převodník připojte znovu."};
    }
    return {"nemá port", "Odpojte převodník a připojte ho znovu."};
}

std::string AdapterName(const PortInfo& adapter) {
    std::string chip = ChipName(adapter.vidPid);
    if (chip.empty()) chip = adapter.description.empty() ? "USB" : adapter.description;
    return "Převodník " + chip + " (" + adapter.vidPid + ")";
}

std::string AdapterWithoutPortMessage(const PortInfo& adapter) {
    const AdapterDiagnosis diagnosis = DiagnoseAdapter(adapter);
    return AdapterName(adapter) + " je připojen, ale " + diagnosis.reason + ". " + diagnosis.fix;
}
