// What to do about a port error, on Linux.
#include <cstdlib>
#include <vector>

#include "adapter_rules.h"
#include "messages.h"

namespace {

// The serial devices the machine has, by their stable names where they
// have one, USB adapters first; then what is wrong with each adapter that
// has no port.
std::string Listed(const std::vector<PortInfo>& ports) {
    std::string list, withoutPort;
    for (const PortInfo& port : ports) {
        if (!port.HasPort()) {
            withoutPort += ' ';
            withoutPort += AdapterWithoutPortMessage(port);
            continue;
        }
        if (!list.empty()) list += ", ";
        list += port.stableName.empty() ? port.name : port.stableName;
    }
    return "Sériová zařízení tohoto počítače: " + (list.empty() ? std::string("žádné") : list) + "." + withoutPort;
}

std::string UserName() {
    const char* user = std::getenv("USER");
    return user != nullptr && *user != '\0' ? user : "$USER";
}

}  // namespace

std::string PlatformPortAdvice(PortCause cause, const PortName& port, const std::vector<PortInfo>& ports) {
    switch (cause) {
        case PortCause::NoPermission:
            return "Sériové porty smí otevřít skupina dialout: přidejte se do ní příkazem „sudo usermod -aG "
                   "dialout " +
                   UserName() + "“ a přihlaste se znovu.";
        case PortCause::NoHardware:
            return "Za tímto portem není žádný obvod: počítač ho jen uvádí. " + Listed(ports);
        case PortCause::NoDevice: {
            // A device named directly is chosen by its name, not by a variable.
            if (!port.IsMenuPort()) return Listed(ports);
            const std::string variable = port.Variable();
            if (ports.empty() || !ports.front().usb || !ports.front().HasPort()) {
                return Listed(ports) + " Připojte převodník a vyberte ho proměnnou " + variable + ".";
            }
            const PortInfo& adapter = ports.front();
            return Listed(ports) + " Port vyberete proměnnou " + variable + ", např. " + variable + "=" +
                   (adapter.stableName.empty() ? adapter.name : adapter.stableName) + ".";
        }
        case PortCause::InUse:
            return "Port drží jiný program (terminál, druhá kopie programátoru): ukončete ho a zkuste to znovu.";
        case PortCause::Probed: {
            // The rule that has ModemManager leave this board alone, by its USB IDs.
            const PortInfo* listed = FindPort(ports, port.Device());
            const std::string vidPid = listed != nullptr && listed->vidPid.size() == 9 ? listed->vidPid : "xxxx:xxxx";
            return "ModemManager zkouší každé nově připojené zařízení cdc_acm příkazy AT, které by se přimíchaly do "
                   "programu desky, a tak deska nic nedostala. Aby ji nechal být, zapište pravidlo udev příkazem "
                   "„echo 'ATTRS{idVendor}==\"" +
                   vidPid.substr(0, 4) + "\", ATTRS{idProduct}==\"" + vidPid.substr(5) +
                   "\", ENV{ID_MM_DEVICE_IGNORE}=\"1\"' | sudo tee /etc/udev/rules.d/99-ktq51.rules && sudo udevadm "
                   "control --reload“ a desku připojte znovu; nebo ModemManager vypněte příkazem „sudo systemctl "
                   "disable --now ModemManager“.";
        }
        default:
            break;
    }
    return {};
}
