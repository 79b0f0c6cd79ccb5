// What to do about a port error, in the page in the browser: the browser
// grants the page its ports, one at a time or by the school's policy.
#include "messages.h"

std::string PlatformPortAdvice(PortCause cause, const PortName&, const std::vector<PortInfo>&) {
    switch (cause) {
        case PortCause::InUse: return std::string(Text().kWebPortInUse);
        case PortCause::NoPermission:
        case PortCause::NoDevice: return std::string(Text().kWebChooseAgain);
        default: break;
    }
    return {};
}
