// The texts of the results that image/ and serial/ return, in the language in
// use (texts.h), shared by the window, the command line and the page. No Qt:
// plain UTF-8 strings.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "hex_reader.h"
#include "port.h"
#include "port_connection.h"
#include "port_list.h"
#include "radix.h"
#include "texts.h"

// The message for a failed load of `path` (as the user should see it).
std::string HexLoadMessage(const HexResult& result, const std::string& path);

// The message of a failed hexadecimal conversion (BaseStrToInt).
std::string ConversionMessage(const ConversionError& error);

// "COM nelze otevřít" or "Chyba linky"; then the device and why; then, for
// the common causes, what to do about `port`, naming the machine's `ports`
// where that helps (the caller lists them: messages never do).
std::string PortOpenMessage(const OpenStatus& result, const PortName& port, const std::vector<PortInfo>& ports);

// "Chyba pri odesílání"; then how much went out and why; then that the
// board must be reset before the next try, and what else to do.
std::string TransferFailedMessage(const WriteResult& result, std::size_t total, const PortName& port);

// A message in one line: its first two lines joined ("Chyba pri odesílání –
// Odesláno 0 z 16384 bajtů: vypršel časový limit").
std::string Brief(const std::string& message);

// The question before programming `boards` boards at once: "Opravdu chcete
// přeprogramovat 8 desek KTQ - 51?" (1 desku, 2 desky, 5 desek).
std::string ConfirmBoards(std::size_t boards);

// The total of a set: "Naprogramováno 7 z 8 desek".
std::string BoardsDone(std::size_t done, std::size_t boards);

// The progress line: "Odesláno 8192 z 16384 bajtů, zbývá asi 5 s".
std::string ProgressText(std::size_t done, std::size_t total);

// The about box: the program's name, and its version on a second line.
std::string AboutText(std::string_view version);

// What the user can do about a port error of this cause on `port`, in one
// line, naming the machine's `ports` where that helps; empty where there is
// no common remedy.
std::string PortAdvice(PortCause cause, const PortName& port, const std::vector<PortInfo>& ports);

// The part of that which differs by platform: a port that is missing or
// may not be opened. One implementation per platform.
std::string PlatformPortAdvice(PortCause cause, const PortName& port, const std::vector<PortInfo>& ports);

// An address as "0x3000": at least four uppercase hexadecimal digits.
std::string HexAddress(std::uint32_t address);

// "1 bajt", "2 bajty", "5 bajtů".
std::string Bytes(long long count);

// How a character is named in messages: the printable ASCII character in
// quotes („G“), anything else by its code (s kódem 0x80).
std::string DescribeChar(char c);

// A port as the menu and the lists name it: "COM7 – USB-SERIAL CH340
// (1a86:7523)", "/dev/ttyUSB0 – FT232R USB UART (0403:6001)", "/dev/ttyS0 –
// vestavěný sériový port"; a port of an adapter with several by its
// interface too: "/dev/ttyUSB1 – CP2105 Dual USB to UART Bridge
// Controller, Standard COM Port (10c4:ea70)", "/dev/ttyACM2 – Gadget
// Serial, rozhraní 2 (0525:a4a7)".
std::string PortLabel(const PortInfo& port);

// The port in use as the user chose it: "COM3", or the label of the listed
// port it was chosen by.
std::string PortLabel(const PortConnection& connection);

// The system's description of a port with, for a port of an adapter with
// several, its interface; empty where the system gives no description.
std::string PortDescription(const PortInfo& port);

// What the tooltip of a COM item says of its device: the port listed there,
// the device by its path where it exists but is no listed port (a
// pseudo-terminal, an rfcomm line), or that nothing is connected.
std::string ComItemTooltip(const std::string& device, const PortInfo* listed, bool exists);

// The question that offers an adapter in place of a port that cannot be
// opened at start.
std::string UseAdapterInstead(const PortInfo& adapter);

// Why a recent file is gone from the Soubor menu.
std::string RecentFileGone(const std::string& file);

// Why the report `file` cannot be written: the system's text, or that it
// holds another report.
std::string CannotWriteReport(const std::string& file, const std::string& reason);

// A cell of the memory grid as a screen reader names it: a byte cell
// (column 1..16) by its address and `value` ("3015: 0A"), an address cell
// by its address alone. And a column's header: the address column's name,
// then the byte columns by their address's last digit, 0 … F.
std::string GridCellName(int column, int row, std::string_view value);
std::string GridColumnHeader(int column);

// The progress box's line naming the port.
std::string ProgressPortText(const std::string& port);
