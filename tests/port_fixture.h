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
    // Opens `port`; on success into `handle`, `state` and `timeouts`.
    OpenResult Open(const PortName& port = PortName::Com(1)) {
        OpenResult opened = OpenPort(port);
        if (opened.ok()) {
            handle = std::move(opened.handle);
            state = *opened.state;
            timeouts = opened.timeouts;
        }
        return opened;
    }
    // A second program's open of COM1, into `second`.
    static OpenResult OpenSecond(PortHandle& second) {
        OpenResult opened = OpenPort(PortName::Com(1));
        second = std::move(opened.handle);
        return opened;
    }

    PortHandle handle;
    CommStateRecord state{};
    CommTimeouts timeouts{0, 0, 0, 0};  // not the defaults: an open must set them
};
