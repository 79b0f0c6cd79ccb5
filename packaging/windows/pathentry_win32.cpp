// The setup's helper for the PATH: puts the program's folder on the
// machine's PATH, or takes it off again.
//
//   pathentry add|remove [--user] FOLDER
//
// The installer's own string functions hold at most 1024 characters, and
// reading a longer value gives an empty string: writing that back would
// wipe every other program's entry. So this reads the value whole, however
// long it is, changes exactly the one entry, writes only a value it has
// read whole, and reads it back. --user works on the user's own PATH, where
// earlier setups put the folder. A GUI program, so that no console flashes.
//
// Exit status: 0 changed (the folder is on the PATH, or off it, as asked, by
// what the value reads back), 1 nothing to change, 2 the value could not be
// read whole (nothing was written), 3 it could not be changed, 4 usage.
#include <windows.h>  // before shellapi.h, which builds on it

#include <shellapi.h>

#include <optional>
#include <string>
#include <string_view>

#include "path_entries.h"

namespace {

enum Status { kChanged = 0, kUnchanged = 1, kUnreadable = 2, kUnwritable = 3, kUsage = 4 };

constexpr const wchar_t* kMachineKey = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
constexpr const wchar_t* kUserKey = L"Environment";
constexpr const wchar_t* kValue = L"Path";

struct PathValue {
    std::wstring text;
    DWORD type = REG_EXPAND_SZ;  // a missing value is made as Windows makes it
};

// The whole value, or nothing when it cannot be read whole (or is no text).
std::optional<PathValue> Read(HKEY key) {
    for (int attempt = 0; attempt < 8; ++attempt) {
        DWORD type = 0, bytes = 0;
        // Returns ERROR_SUCCESS with the size, ERROR_FILE_NOT_FOUND for a missing value.
        LONG status = ::RegQueryValueExW(key, kValue, nullptr, &type, nullptr, &bytes);
        if (status == ERROR_FILE_NOT_FOUND) return PathValue{};
        if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::nullopt;
        std::wstring buffer(bytes / sizeof(wchar_t) + 1, L'\0');
        DWORD got = bytes;
        // Returns ERROR_MORE_DATA when the value grew since its size was asked.
        status = ::RegQueryValueExW(key, kValue, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &got);
        if (status == ERROR_MORE_DATA) continue;
        if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::nullopt;
        buffer.resize(got / sizeof(wchar_t));
        while (!buffer.empty() && buffer.back() == L'\0') buffer.pop_back();
        return PathValue{buffer, type};
    }
    return std::nullopt;
}

// An entry's environment variables as the system expands them.
std::wstring Expand(std::wstring_view entry) {
    const std::wstring text(entry);
    // Returns the length needed with its terminator, or 0 upon failure.
    const DWORD length = ::ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
    if (length == 0) return text;
    std::wstring expanded(length, L'\0');
    if (::ExpandEnvironmentStringsW(text.c_str(), expanded.data(), length) == 0) return text;
    expanded.resize(length - 1);
    return expanded;
}

bool HasFolder(const std::wstring& path, const std::wstring& folder) {
    return !PathWithFolder(path, folder, Expand);
}

bool Write(HKEY key, const PathValue& value) {
    const DWORD bytes = static_cast<DWORD>((value.text.size() + 1) * sizeof(wchar_t));
    // Returns ERROR_SUCCESS upon success.
    return ::RegSetValueExW(key, kValue, 0, value.type, reinterpret_cast<const BYTE*>(value.text.c_str()), bytes) ==
           ERROR_SUCCESS;
}

int Run(bool add, bool user, const std::wstring& folder) {
    HKEY key = nullptr;
    // Returns ERROR_SUCCESS upon success. The 64-bit view: the one Windows reads.
    if (::RegOpenKeyExW(user ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE, user ? kUserKey : kMachineKey, 0,
                        KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS) {
        return kUnreadable;
    }
    int status = kUnreadable;
    if (std::optional<PathValue> value = Read(key)) {
        const std::optional<std::wstring> changed =
            add ? PathWithFolder(value->text, folder, Expand) : PathWithoutFolder(value->text, folder, Expand);
        status = kUnchanged;
        if (changed) {
            value->text = *changed;
            // What counts is where our entry is now, as the value reads back
            // (another program may have written it meanwhile): one that is
            // there must be taken off again by the uninstaller.
            const bool written = Write(key, *value);
            const std::optional<PathValue> back = Read(key);
            const bool ours = back ? HasFolder(back->text, folder) : written == add;
            status = ours == add ? kChanged : kUnwritable;
        }
    }
    ::RegCloseKey(key);
    if (status == kChanged) {
        // Running programs (Explorer, which starts new consoles) read the
        // environment again. Returns nonzero upon success, 0 upon failure or time-out.
        ::SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"Environment"),
                              SMTO_ABORTIFHUNG, 5000, nullptr);
    }
    return status;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    int count = 0;
    // Returns the argument array (freed with LocalFree), or NULL upon failure.
    LPWSTR* args = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (args == nullptr) return kUsage;
    int status = kUsage;
    const std::wstring verb = count > 1 ? args[1] : L"";
    const bool user = count == 4 && std::wstring(args[2]) == L"--user";
    if ((verb == L"add" || verb == L"remove") && (count == 3 || user) && *args[count - 1] != L'\0') {
        status = Run(verb == L"add", user, args[count - 1]);
    }
    ::LocalFree(args);
    return status;
}
