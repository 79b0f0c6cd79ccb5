// Test entry for the window tests: one application object for all of them,
// started only once every COM number a window can open is a test port, so
// that no window a test creates ever opens a real serial device.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstring>

#include "test_ports.h"

int main(int argc, char** argv) {
    // A death test's child runs this again; it keeps the mapping its test set.
    bool deathTestChild = false;
    for (int i = 1; i < argc; ++i) {
        deathTestChild = deathTestChild || std::strstr(argv[i], "internal_run_death_test") != nullptr;
    }
    testing::InitGoogleTest(&argc, argv);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    if (!PrepareTestPorts(deathTestChild)) return 1;
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
