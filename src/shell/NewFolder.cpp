#include "shell/NewFolder.h"

#include <cwchar>

#include <windows.h>

#include "shell/ShellStrings.h"
#include "base/Error.h"
#include "ui/Application.h"
#include "ui/Dialogs.h"

namespace {

constexpr int kLastNumber = 50;

struct NamePattern {
    const wchar_t* stem;
    const wchar_t* suffix;  // printf format of the number after the stem
};
constexpr NamePattern kPatterns[] = {{kNewFolderName, L" (%d)"}, {L"fldr", L"%d"}};

std::wstring NameFor(const NamePattern& pattern, int number) {
    if (number == 1) return pattern.stem;
    wchar_t suffix[16];
    std::swprintf(suffix, 16, pattern.suffix, number);
    return std::wstring(pattern.stem) + suffix;
}

// The warning text with %1 and %2 put in. (The platform's formatter would turn its line breaks
// into carriage return and line feed pairs.)
std::wstring CannotCreateText(const std::wstring& name, DWORD code) {
    const std::wstring inserts[] = {base::SystemErrorMessage(code), name};
    std::wstring text;
    for (const wchar_t* c = kCreateFolderFailedText; *c != L'\0'; ++c) {
        if (c[0] == L'%' && (c[1] == L'1' || c[1] == L'2'))
            text += inserts[*++c - L'1'];
        else
            text += *c;
    }
    return text;
}

void WarnCannotCreate(const std::wstring& name, DWORD code) {
    ui::ShowWarning(ui::App().Title(), CannotCreateText(name, code));
}

}  // namespace

std::optional<std::wstring> CreateNewFolder(const std::wstring& directory) {
    if (directory.empty()) {
        WarnCannotCreate(kNewFolderName, ERROR_PATH_NOT_FOUND);
        return std::nullopt;
    }
    const std::wstring parent = IncludeTrailingChar(directory, L'\\');
    for (const NamePattern& pattern : kPatterns) {
        for (int number = 1; number <= kLastNumber; ++number) {
            const std::wstring name = NameFor(pattern, number);
            if (CreateDirectoryW((parent + name).c_str(), nullptr)) return name;
            const DWORD code = GetLastError();
            if (code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS) continue;
            // Any other failure would fail for every name alike: report it once and stop.
            WarnCannotCreate(name, code);
            return std::nullopt;
        }
    }
    WarnCannotCreate(kNewFolderName, ERROR_ALREADY_EXISTS);
    return std::nullopt;
}
