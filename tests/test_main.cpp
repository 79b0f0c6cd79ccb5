// Test entry for the programs whose tests reach a port: every COM number a
// test can open is a test port before any test runs, so that no test ever
// opens a real serial device. The window's tests get one application object
// for all of them.
#include <gtest/gtest.h>

#include <cstring>

#include "test_ports.h"

#ifdef KTQ_TEST_WITH_QT
#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#endif

int main(int argc, char** argv) {
    // A death test's child runs this again; it keeps the mapping its test set.
    bool deathTestChild = false;
    for (int i = 1; i < argc; ++i) {
        deathTestChild = deathTestChild || std::strstr(argv[i], "internal_run_death_test") != nullptr;
    }
    testing::InitGoogleTest(&argc, argv);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    if (!PrepareTestPorts(deathTestChild)) return 1;
#ifdef KTQ_TEST_WITH_QT
    QApplication app(argc, argv);
    QTemporaryDir settings;  // the tests' settings, never the user's
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
#endif
    return RUN_ALL_TESTS();
}
