// What to do about a port error, on Windows.
#include "adapter_rules.h"
#include "messages.h"

std::string PlatformPortAdvice(PortCause cause, const PortName& port, const std::vector<PortInfo>& ports) {
    switch (cause) {
        case PortCause::NoPermission:
        case PortCause::NoDevice:
        case PortCause::NoHardware: {
            std::string found, withoutPort;
            for (const PortInfo& info : ports) {
                if (!info.HasPort()) {
                    withoutPort += AdapterWithoutPortMessage(info) + " ";
                    continue;
                }
                if (!found.empty()) found += ", ";
                found += PortLabel(info);
            }
            const std::string listed =
                Format(Text().kComPortsListed, {found.empty() ? Text().kNoneOfThem : found}) + " " + withoutPort;
            // A device named directly is chosen by its name, not by a variable.
            if (!port.IsMenuPort()) return listed + std::string(Text().kChooseOne);
            const std::string variable = port.Variable();
            return listed + Format(Text().kChooseByVariableWindows, {variable});
        }
        case PortCause::InUse:
            // Which program holds it, Windows does not tell without
            // administrator rights.
            return Format(Text().kAdviceInUseWindows, {port.Name()});
        default:
            break;
    }
    return {};
}
