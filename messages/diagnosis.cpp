#include "diagnosis.h"

#include "adapter_rules.h"
#include "messages.h"
#include "texts.h"

namespace {

// "ovladač ftdi_sio, umístění 1-2, …": the facts a port has, those it has.
std::string Facts(const PortInfo& port) {
    std::string facts;
    auto add = [&facts](std::string_view what, const std::string& value) {
        if (value.empty()) return;
        if (!facts.empty()) facts += ", ";
        facts += std::string(what) + " " + value;
    };
    const TextTable& t = Text();
    add(t.kFactDriver, port.driver);
    add(t.kFactLocation, port.location);
    add(t.kFactSerial, port.serial);
    add(t.kFactMaker, port.manufacturer);
    add(t.kFactRevision, port.revision);
    add(t.kFactStableName, port.stableName);
    add(t.kFactProblem, port.trouble.problem != 0 ? std::to_string(port.trouble.problem) : std::string());
    add(t.kFactInstalledDriver, port.trouble.driverProvider.empty() && port.trouble.driverVersion.empty()
                                    ? std::string()
                                    : port.trouble.driverProvider + " " + port.trouble.driverVersion);
    add(t.kFactHeldBy, port.trouble.holder);
    return facts;
}

}  // namespace

std::string DiagnosisText(std::string_view version, const std::string& system, const std::vector<PortInfo>& ports,
                          const std::string& lastError) {
    const TextTable& t = Text();
    std::string text = std::string(t.kWindowTitle) + " " + std::string(version) + "\n" +
                       Format(t.kDiagnosisSystem, {system}) + "\n\n";
    // A heading: after a blank line but at the top.
    auto heading = [&text](std::string_view title) {
        if (text.size() > 1 && text.back() == '\n' && text[text.size() - 2] != '\n') text += '\n';
        text.append(title).append(1, '\n');
    };
    heading(t.kDiagnosisComPorts);
    for (const ComPort& slot : ComPorts(ports)) {
        text += "  " + slot.port.Name() + ": " + ComItemTooltip(slot.device, slot.listed, slot.exists) +
                (slot.device != DefaultComDevice(slot.port.Number()) ? " (" + slot.port.Variable() + "=" + slot.device + ")"
                                                                     : "") +
                "\n";
    }
    heading(t.kDiagnosisPorts);
    std::string withoutPort;
    for (const PortInfo& port : ports) {
        if (!port.HasPort()) {
            withoutPort += "  " + AdapterWithoutPortMessage(port) + "\n    " + Facts(port) + "\n";
            continue;
        }
        text += "  " + PortLabel(port) + "\n";
        if (const std::string facts = Facts(port); !facts.empty()) text += "    " + facts + "\n";
    }
    if (ports.empty() || !ports.front().HasPort()) text.append("  ").append(t.kNoneOfThem).append(1, '\n');
    if (!withoutPort.empty()) {
        heading(t.kDiagnosisWithoutPort);
        text += withoutPort;
    }
    heading(t.kDiagnosisLastError);
    text.append(lastError.empty() ? std::string(t.kNoneAtAll) : lastError).append(1, '\n');
    return text;
}
