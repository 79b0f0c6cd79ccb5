// The port names of the page in the browser, which has no devices of its
// own: the browser gives it its ports, and a port is named by the label the
// page shows for it.
#include "port_name.h"

std::string DefaultComDevice(int) {
    return {};
}

std::string SystemPath(const std::string& device) {
    return device;
}

bool DeviceExists(const std::string&) {
    return false;
}

bool SameDevice(const std::string& a, const std::string& b) {
    return !a.empty() && a == b;
}
