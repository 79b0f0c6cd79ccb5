// What to do about a port error, on Windows.
#include "messages.h"

std::string PortAdvice(PortCause cause, int index) {
    const std::string variable = "KTQ51_COM" + std::to_string(index >= 0 ? index + 1 : 1);
    switch (cause) {
        case PortCause::NoPermission:
        case PortCause::NoDevice:
            return "Číslo portu převodníku najdete ve Správci zařízení (Porty COM a LPT); vyberete ho proměnnou " +
                   variable + ", např. „set " + variable + "=COM7“.";
        case PortCause::InUse:
            return "Port drží jiný program (terminál, druhá kopie programátoru): ukončete ho a zkuste to znovu.";
        case PortCause::Gone:
            return "Zařízení zmizelo: zkontrolujte kabel a připojte převodník znovu.";
        case PortCause::TimedOut:
            return "Linka data nepřijímá: zkontrolujte, že je deska zapnutá a připojená.";
        case PortCause::Other:
            break;
    }
    return {};
}
