// The folders of a PATH value ("C:\Windows;C:\Tools"), changed by exactly
// one folder: every other entry keeps its text and its place, empty ones
// and a closing semicolon included. Folders are compared as Windows
// compares them: letters in any case, a closing backslash ignored.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// `path` with `folder` as its last entry; nothing when it is there already.
std::optional<std::wstring> PathWithFolder(std::wstring_view path, std::wstring_view folder);

// `path` without the entries that are `folder`; nothing when there is none.
std::optional<std::wstring> PathWithoutFolder(std::wstring_view path, std::wstring_view folder);
