// The system's own text for a Windows error code, in UTF-8, without its
// closing line break: in the user's language, as FormatMessageW gives it
// (the narrow text would be in the code page, cp1250 on a Czech Windows);
// just the code where the system has no text for it.
#pragma once

#include <string>

std::string SystemText(unsigned long error);
