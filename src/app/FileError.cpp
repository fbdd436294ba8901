#include "app/FileError.h"

namespace {

base::PlatformError FileError(const wchar_t* what, const std::wstring& path, DWORD code) {
    return base::PlatformError(what + (L" \"" + path + L"\". ") + base::SystemErrorMessage(code),
                               HRESULT_FROM_WIN32(code));
}

}  // namespace

base::PlatformError CannotOpenFileError(const std::wstring& path, DWORD code) {
    return FileError(L"Cannot open file", path, code);
}

base::PlatformError CannotCreateFileError(const std::wstring& path, DWORD code) {
    return FileError(L"Cannot create file", path, code);
}
