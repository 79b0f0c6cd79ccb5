// Windows texts in UTF-8, the form every text of the program has.
#pragma once

#include <string>
#include <string_view>

// The system's own text for a Windows error code, without its closing line
// break: in the user's language, as FormatMessageW gives it (the narrow text
// would be in the code page, cp1250 on a Czech Windows); just the code where
// the system has no text for it.
std::string SystemText(unsigned long error);

// UTF-16 text of the system (names, arguments, messages) as UTF-8.
std::string Utf8FromWide(std::wstring_view text);
