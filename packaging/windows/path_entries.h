// The folders of a PATH value ("C:\Windows;C:\Tools"), changed by exactly
// one folder: every other entry keeps its text and its place, empty ones
// and a closing semicolon included. Folders are compared as Windows
// compares them: letters in any case, a closing backslash ignored, an entry
// in double quotes as the folder inside them, and environment variables
// (%ProgramFiles%) as `expand` expands them.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

// Expands the environment variables of a PATH entry, as the system would.
using Expander = std::function<std::wstring(std::wstring_view)>;

// Whether `entry` is `folder` in any of the forms above.
bool SameFolder(std::wstring_view entry, std::wstring_view folder, const Expander& expand);

// `path` with `folder` as its last entry; nothing when it is there already.
std::optional<std::wstring> PathWithFolder(std::wstring_view path, std::wstring_view folder, const Expander& expand);

// `path` without the entries that are `folder`; nothing when there is none.
std::optional<std::wstring> PathWithoutFolder(std::wstring_view path, std::wstring_view folder,
                                              const Expander& expand);
