// What to do about a port error, on Windows.
#include "messages.h"

std::string PlatformPortAdvice(PortCause cause, const PortName& port) {
    const std::string variable = port.IsMenuPort() ? port.Variable() : PortName::Com(1).Variable();
    switch (cause) {
        case PortCause::NoPermission:
        case PortCause::NoDevice:
            return "Číslo portu převodníku najdete ve Správci zařízení (Porty COM a LPT); vyberete ho proměnnou " +
                   variable + ", např. „set " + variable + "=COM7“.";
        default:
            break;
    }
    return {};
}
