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
            const std::string listed = "Porty COM tohoto počítače: " +
                                       (found.empty() ? std::string("žádné") : found) +
                                       " (číslo převodníku najdete i ve Správci zařízení, Porty COM a LPT). " +
                                       withoutPort;
            // A device named directly is chosen by its name, not by a variable.
            if (!port.IsMenuPort()) return listed + "Vyberte jeden z nich.";
            const std::string variable = port.Variable();
            return listed + "Vyberete ho proměnnou " + variable + ", např. „set " + variable +
                   "=COM7“, nebo v nabídce Nastavení.";
        }
        case PortCause::InUse:
            // Which program holds it, Windows does not tell without
            // administrator rights.
            return "Port " + port.Name() + " má otevřený jiný program (terminál, druhá kopie programátoru, "
                   "sériový monitor): ukončete ho a zkuste to znovu. Který program to je, Windows bez práv správce "
                   "neřeknou.";
        default:
            break;
    }
    return {};
}
