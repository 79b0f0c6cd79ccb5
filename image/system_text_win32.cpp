#include "system_text_win32.h"

#include <windows.h>

std::string SystemText(unsigned long error) {
    wchar_t* text = nullptr;
    // Returns the length of the text, or 0 upon failure.
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
        0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    std::string reason;
    if (length != 0) {
        // Both return the byte count of the converted text, or 0 upon failure.
        const int bytes =
            ::WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
        if (bytes > 0) {
            reason.resize(static_cast<std::size_t>(bytes));
            ::WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), reason.data(), bytes, nullptr,
                                  nullptr);
        }
    }
    if (text != nullptr) ::LocalFree(text);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' ')) {
        reason.pop_back();
    }
    return reason.empty() ? std::to_string(error) : reason;  // a code the system has no text for
}
