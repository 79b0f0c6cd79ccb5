// Under Wine, COM1..COM5 are mapped to pseudo-terminals by the Linux harness
// (wine_harness), which says so in KTQ51_WINE_PORTS. Without it Wine would
// give COM1 to the machine's own serial line, so the tests refuse to start.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "test_ports.h"

bool PrepareTestPorts(bool) {
    const char* mapped = std::getenv("KTQ51_WINE_PORTS");
    if (mapped != nullptr && std::strcmp(mapped, "mapped") == 0) return true;
    std::fprintf(stderr, "window_tests: COM1..COM5 are not mapped to test ports; run it through wine_harness\n");
    return false;
}
