// The serial ports the tests' COM1..COM5 stand for.
#pragma once

#include "far_end.h"

// Makes every COM number a test port; false (with the reason on standard
// error) when that cannot be made sure, and then no test may run. A death
// test's child keeps what its parent set up.
bool PrepareTestPorts(bool deathTestChild);

#ifndef _WIN32
#include "pty_pair.h"

// The pseudo-terminal that COM`number` is mapped to now.
PtyPair& TestPort(int number);
#endif
