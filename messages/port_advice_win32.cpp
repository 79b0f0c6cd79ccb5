// What to do about a port error, on Windows.
#include "messages.h"

std::string PlatformPortAdvice(PortCause cause, const PortName& port, const std::vector<PortInfo>& ports) {
    switch (cause) {
        case PortCause::NoPermission:
        case PortCause::NoDevice:
        case PortCause::NoHardware: {
            std::string found;
            for (const PortInfo& info : ports) found += (found.empty() ? "" : ", ") + PortLabel(info);
            const std::string listed = "Porty COM tohoto počítače: " +
                                       (found.empty() ? std::string("žádné") : found) +
                                       " (číslo převodníku najdete i ve Správci zařízení, Porty COM a LPT). ";
            // A device named directly is chosen by its name, not by a variable.
            if (!port.IsMenuPort()) return listed + "Vyberte jeden z nich.";
            const std::string variable = port.Variable();
            return listed + "Vyberete ho proměnnou " + variable + ", např. „set " + variable +
                   "=COM7“, nebo v nabídce Nastavení.";
        }
        default:
            break;
    }
    return {};
}
