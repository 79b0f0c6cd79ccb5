// What the port layer's suites share: a new device behind COM1 for each
// test, nothing left by another, and the three things a port is opened into.
#pragma once

#include <gtest/gtest.h>

#include "far_end.h"
#include "native.h"
#include "port.h"

class PortFixture : public testing::Test {
protected:
    void SetUp() override { TestLine(1).PlugIn(); }
    FarEnd& Line() { return TestLine(1); }
    OpenResult Open(const PortName& port = PortName::Com(1)) { return OpenPort(port, handle, state, timeouts); }
    // A second program's open of COM1, into `second`.
    static OpenResult OpenSecond(PortHandle& second) {
        CommStateRecord secondState{};
        CommTimeouts secondTimeouts;
        return OpenPort(PortName::Com(1), second, secondState, secondTimeouts);
    }

    PortHandle handle;
    CommStateRecord state{};
    CommTimeouts timeouts{0, 0, 0, 0};  // not the defaults: an open must set them
};
