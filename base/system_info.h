// What system the program runs on, in one line, for a diagnosis that a user
// pastes to someone who helps: "Linux 6.1.0-57-amd64 (x86_64), Debian
// GNU/Linux 12 (bookworm)", "Windows 10.0.19045". One implementation per
// platform.
#pragma once

#include <string>

std::string SystemDescription();
