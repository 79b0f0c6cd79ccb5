// In the driver check's guest, the host's command maps every COM number:
// COM1 to the adapter under test, the others to devices that do not exist.
// Without that, a window would open the guest's console line, so the tests
// refuse to start.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "test_ports.h"

bool PrepareTestPorts(bool) {
    for (int n = 1; n <= 5; ++n) {
        const std::string variable = "KTQ51_COM" + std::to_string(n);
        const char* mapped = std::getenv(variable.c_str());
        if (mapped == nullptr || *mapped == '\0') {
            std::fprintf(stderr, "guest_window_tests: %s is not set; run it through the driver check\n",
                         variable.c_str());
            return false;
        }
    }
    return true;
}
