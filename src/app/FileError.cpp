#include "app/FileError.h"

namespace {

ui::PlatformError FileError(const wchar_t* what, const std::wstring& path, DWORD code) {
    return ui::PlatformError(what + (L" \"" + path + L"\". ") + ui::SystemErrorMessage(code),
                             HRESULT_FROM_WIN32(code));
}

}  // namespace

ui::PlatformError CannotOpenFileError(const std::wstring& path, DWORD code) {
    return FileError(L"Cannot open file", path, code);
}

ui::PlatformError CannotCreateFileError(const std::wstring& path, DWORD code) {
    return FileError(L"Cannot create file", path, code);
}
