// A measurement hook for the benchmarks. With KTQ51_STARTUP_PROBE set in the
// environment, the program reports on standard error when its grid was first
// painted and how much memory it holds, optionally loads the HEX file named
// by KTQ51_STARTUP_PROBE_LOAD and reports its memory again, and then quits.
// Without the variable nothing is installed.
#pragma once

#include <chrono>

class TForm1;

void InstallStartupProbe(TForm1& form, std::chrono::steady_clock::time_point entered);

// The process's resident memory in KiB, from /proc/self/status; -1 where
// the system does not tell.
long ResidentKiB();
