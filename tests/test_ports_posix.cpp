// Every COM number mapped to a pseudo-terminal of its own, for the whole run.
#include <array>
#include <memory>

#include "test_ports.h"

namespace {
std::array<std::unique_ptr<PtyPair>, 5> ports;
}

PtyPair& TestPort(int number) {
    return *ports.at(static_cast<std::size_t>(number - 1));
}

bool PrepareTestPorts(bool deathTestChild) {
    for (int n = 1; n <= 5; ++n) {
        ports[n - 1] = std::make_unique<PtyPair>();
        if (!deathTestChild) ports[n - 1]->MapAs(n);
    }
    return true;
}
