// The pseudo-terminals that the window tests' COM1..COM5 are mapped to.
#pragma once

#include "pty_pair.h"

PtyPair& TestPort(int number);
