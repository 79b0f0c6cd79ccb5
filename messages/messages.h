// The Czech texts of the results that image/ and serial/ return, shared by
// the window and the command line. No Qt: plain UTF-8 strings.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "hexfile.h"
#include "port.h"

// The second line of every message about a file whose content is at fault.
inline constexpr std::string_view kFileDamaged = "Soubor je poškozen";

// The message for a failed load of `path` (as the user should see it).
std::string HexLoadMessage(const HexResult& result, const std::string& path);

// "COM nelze otevřít" or "Chyba linky"; then the device and the system's
// reason; then, for the common causes, what to do.
std::string PortOpenMessage(const OpenResult& result, int index);

// "Chyba pri odesílání"; then how much went out and why; then that the
// board must be reset before the next try, and what else to do.
std::string TransferFailedMessage(const WriteResult& result, std::size_t total);

// The progress line: "Odesláno 8192 z 16384 bajtů, zbývá asi 5 s".
std::string ProgressText(std::size_t done, std::size_t total);

// What the user can do about a port error of this cause on COM(index + 1),
// in one line; empty where there is no common remedy.
std::string PortAdvice(PortCause cause, int index);

// The part of that which differs by platform: a port that is missing or
// may not be opened. One implementation per platform.
std::string PlatformPortAdvice(PortCause cause, int index);

// An address as "0x3000": at least four uppercase hexadecimal digits.
std::string HexAddress(std::uint32_t address);

// "1 bajt", "2 bajty", "5 bajtů".
std::string Bytes(long long count);
