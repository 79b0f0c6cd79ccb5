// What to do about a port error, on Windows.
#include "messages.h"

std::string PlatformPortAdvice(PortCause cause, int index) {
    const std::string variable = "KTQ51_COM" + std::to_string(index >= 0 ? index + 1 : 1);
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
