// What to do about a port error, on Windows.
#include "messages.h"

std::string PlatformPortAdvice(PortCause cause, const PortName& port) {
    switch (cause) {
        case PortCause::NoPermission:
        case PortCause::NoDevice:
        case PortCause::NoHardware: {
            const std::string where = "Číslo portu převodníku najdete ve Správci zařízení (Porty COM a LPT)";
            // A device named directly is chosen by its name, not by a variable.
            if (!port.IsMenuPort()) return where + ".";
            const std::string variable = port.Variable();
            return where + "; vyberete ho proměnnou " + variable + ", např. „set " + variable + "=COM7“.";
        }
        default:
            break;
    }
    return {};
}
