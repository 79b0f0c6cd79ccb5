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
    return Format(Text().kDevicesListed, {list.empty() ? Text().kNoneOfThem : list}) + withoutPort;
}

std::string UserName() {
    const char* user = std::getenv("USER");
    return user != nullptr && *user != '\0' ? user : "$USER";
}

}  // namespace

std::string PlatformPortAdvice(PortCause cause, const PortName& port, const std::vector<PortInfo>& ports) {
    switch (cause) {
        case PortCause::NoPermission:
            return Format(Text().kAdviceDialout, {UserName()});
        case PortCause::NoHardware:
            return Format(Text().kAdviceNoHardware, {Listed(ports)});
        case PortCause::NoDevice: {
            // A device named directly is chosen by its name, not by a variable.
            if (!port.IsMenuPort()) return Listed(ports);
            const std::string variable = port.Variable();
            if (ports.empty() || !ports.front().usb || !ports.front().HasPort()) {
                return Listed(ports) + " " + Format(Text().kConnectAndChoose, {variable});
            }
            const PortInfo& adapter = ports.front();
            return Listed(ports) + " " +
                   Format(Text().kChooseByVariable,
                          {variable, adapter.stableName.empty() ? adapter.name : adapter.stableName});
        }
        case PortCause::InUse:
            return std::string(Text().kAdviceInUse);
        case PortCause::Probed: {
            // The rule that has ModemManager leave this board alone, by its USB IDs.
            const PortInfo* listed = FindPort(ports, port.Device());
            const std::string vidPid = listed != nullptr && listed->vidPid.size() == 9 ? listed->vidPid : "xxxx:xxxx";
            const std::string rule = "echo 'ATTRS{idVendor}==\"" + vidPid.substr(0, 4) + "\", ATTRS{idProduct}==\"" +
                                     vidPid.substr(5) +
                                     "\", ENV{ID_MM_DEVICE_IGNORE}=\"1\"' | sudo tee /etc/udev/rules.d/99-ktq51.rules "
                                     "&& sudo udevadm control --reload";
            return Format(Text().kAdviceProbed, {rule, "sudo systemctl disable --now ModemManager"});
        }
        default:
            break;
    }
    return {};
}
