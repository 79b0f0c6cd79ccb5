#include "diagnosis.h"

#include "adapter_rules.h"
#include "messages.h"
#include "texts.h"

namespace {

// "ovladač ftdi_sio, umístění 1-2, …": the facts a port has, those it has.
std::string Facts(const PortInfo& port) {
    std::string facts;
    auto add = [&facts](const char* what, const std::string& value) {
        if (value.empty()) return;
        if (!facts.empty()) facts += ", ";
        facts += std::string(what) + " " + value;
    };
    add("ovladač", port.driver);
    add("umístění", port.location);
    add("sériové číslo", port.serial);
    add("výrobce", port.manufacturer);
    add("revize", port.revision);
    add("stálý název", port.stableName);
    add("kód problému", port.trouble.problem != 0 ? std::to_string(port.trouble.problem) : std::string());
    add("instalovaný ovladač", port.trouble.driverProvider.empty() && port.trouble.driverVersion.empty()
                                   ? std::string()
                                   : port.trouble.driverProvider + " " + port.trouble.driverVersion);
    add("drží ho", port.trouble.holder);
    return facts;
}

}  // namespace

std::string DiagnosisText(std::string_view version, const std::string& system, const std::vector<PortInfo>& ports,
                          const std::string& lastError) {
    std::string text = std::string(text::kWindowTitle) + " " + std::string(version) + "\nSystém: " + system + "\n\n";
    text += "COM1 až COM5:\n";
    for (const ComPort& slot : ComPorts(ports)) {
        text += "  " + slot.port.Name() + ": " + ComItemTooltip(slot.device, slot.listed, slot.exists) +
                (slot.device != DefaultComDevice(slot.port.Number()) ? " (" + slot.port.Variable() + "=" + slot.device + ")"
                                                                     : "") +
                "\n";
    }
    text += "\nSériové porty:\n";
    std::string withoutPort;
    for (const PortInfo& port : ports) {
        if (!port.HasPort()) {
            withoutPort += "  " + AdapterWithoutPortMessage(port) + "\n    " + Facts(port) + "\n";
            continue;
        }
        text += "  " + PortLabel(port) + "\n";
        if (const std::string facts = Facts(port); !facts.empty()) text += "    " + facts + "\n";
    }
    if (ports.empty() || !ports.front().HasPort()) text += "  žádné\n";
    if (!withoutPort.empty()) text += "\nPřevodníky bez portu:\n" + withoutPort;
    text += "\nPoslední chyba:\n" + (lastError.empty() ? std::string("žádná") : lastError) + "\n";
    return text;
}
