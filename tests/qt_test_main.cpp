// Test entry for the window tests: one application object for all of them,
// and every COM number mapped to a pseudo-terminal of its own, so that no
// window a test creates ever opens a real serial device.
#include <gtest/gtest.h>

#include <QApplication>
#include <array>
#include <cstring>
#include <memory>

#include "test_ports.h"

namespace {
std::array<std::unique_ptr<PtyPair>, 5> ports;
}

PtyPair& TestPort(int number) {
    return *ports.at(static_cast<std::size_t>(number - 1));
}

int main(int argc, char** argv) {
    // A death test's child runs this again; it keeps the mapping its test set.
    bool deathTestChild = false;
    for (int i = 1; i < argc; ++i) {
        deathTestChild = deathTestChild || std::strstr(argv[i], "internal_run_death_test") != nullptr;
    }
    testing::InitGoogleTest(&argc, argv);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (int n = 1; n <= 5; ++n) {
        ports[n - 1] = std::make_unique<PtyPair>();
        if (!deathTestChild) ports[n - 1]->MapAs(n);
    }
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
