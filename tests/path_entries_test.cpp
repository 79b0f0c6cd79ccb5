// The setup's PATH entry: exactly our folder goes on and comes off, in any
// form it may have there, and every other entry stays as it was.
#include <gtest/gtest.h>

#include "path_entries.h"

namespace {

std::wstring Expand(std::wstring_view entry) {
    std::wstring text(entry);
    const std::wstring variable = L"%ProgramFiles%";
    if (const std::size_t at = text.find(variable); at != std::wstring::npos) text.replace(at, variable.size(), L"C:\\Program Files");
    return text;
}

TEST(PathEntries, OurFolderInAnyFormAndNothingElse) {
    const std::wstring ours = L"C:\\Program Files\\Programator KTQ-51";
    const struct {
        std::wstring path, added, removed;  // empty: nothing to change
    } cases[] = {
        {L"C:\\Windows;C:\\Tools", L"C:\\Windows;C:\\Tools;" + ours, L""},
        {L"C:\\Windows;", L"C:\\Windows;" + ours, L""},
        {L"", ours, L""},
        {L"C:\\Windows;" + ours + L";C:\\Tools", L"", L"C:\\Windows;C:\\Tools"},
        {L"c:\\program files\\programator ktq-51\\;;C:\\Tools", L"", L";C:\\Tools"},
        {L"\"" + ours + L"\";C:\\Tools", L"", L"C:\\Tools"},
        {L"C:\\Tools;%ProgramFiles%\\Programator KTQ-51", L"", L"C:\\Tools"},
        {L"%ProgramFiles%\\Other;C:\\Program Files\\Programator KTQ-510",
         L"%ProgramFiles%\\Other;C:\\Program Files\\Programator KTQ-510;" + ours, L""},
    };
    for (const auto& c : cases) {
        const std::optional<std::wstring> added = PathWithFolder(c.path, ours, Expand);
        EXPECT_EQ(added.value_or(L""), c.added);
        const std::optional<std::wstring> removed = PathWithoutFolder(c.path, ours, Expand);
        EXPECT_EQ(removed.has_value(), c.added.empty());
        EXPECT_EQ(removed.value_or(L""), c.removed);
    }
}

}  // namespace
