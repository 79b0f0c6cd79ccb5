#include "path_entries.h"

#include <vector>

namespace {

std::wstring_view Unquoted(std::wstring_view folder) {
    if (folder.size() >= 2 && folder.front() == L'"' && folder.back() == L'"') folder = folder.substr(1, folder.size() - 2);
    return folder;
}

std::wstring_view WithoutClosingBackslashes(std::wstring_view folder) {
    while (folder.size() > 1 && folder.back() == L'\\') folder.remove_suffix(1);
    return folder;
}

wchar_t Upper(wchar_t c) {
    return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

bool SameText(std::wstring_view a, std::wstring_view b) {
    a = WithoutClosingBackslashes(a);
    b = WithoutClosingBackslashes(b);
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Upper(a[i]) != Upper(b[i])) return false;
    }
    return true;
}

std::vector<std::wstring_view> Entries(std::wstring_view path) {
    std::vector<std::wstring_view> entries;
    for (std::size_t start = 0;;) {
        const std::size_t end = path.find(L';', start);
        entries.push_back(path.substr(start, end == std::wstring_view::npos ? std::wstring_view::npos : end - start));
        if (end == std::wstring_view::npos) return entries;
        start = end + 1;
    }
}

}  // namespace

bool SameFolder(std::wstring_view entry, std::wstring_view folder, const Expander& expand) {
    entry = Unquoted(entry);
    if (SameText(entry, folder)) return true;
    if (entry.find(L'%') == std::wstring_view::npos || !expand) return false;
    const std::wstring expanded = expand(entry);
    return SameText(Unquoted(expanded), folder);
}

std::optional<std::wstring> PathWithFolder(std::wstring_view path, std::wstring_view folder, const Expander& expand) {
    for (const std::wstring_view entry : Entries(path)) {
        if (SameFolder(entry, folder, expand)) return std::nullopt;
    }
    std::wstring changed(path);
    if (!changed.empty() && changed.back() != L';') changed += L';';
    return changed += folder;
}

std::optional<std::wstring> PathWithoutFolder(std::wstring_view path, std::wstring_view folder,
                                              const Expander& expand) {
    std::wstring changed;
    bool removed = false, first = true;
    for (const std::wstring_view entry : Entries(path)) {
        if (SameFolder(entry, folder, expand)) {
            removed = true;
            continue;
        }
        if (!first) changed += L';';
        changed += entry;
        first = false;
    }
    if (!removed) return std::nullopt;
    return changed;
}
