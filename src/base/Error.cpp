#include "base/Error.h"

#include <cwchar>

#include "base/Strings.h"

namespace base {

Error::Error(std::wstring message) : message_(std::move(message)), utf8_(WideToUtf8(message_)) {}

AssignError::AssignError(const std::wstring& sourceClass, const std::wstring& destClass)
    : Error(L"Cannot assign a " + sourceClass + L" to a " + destClass) {}

namespace {

std::wstring FormatSystemMessage(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text;
    if (length != 0 && buffer != nullptr) text.assign(buffer, length);
    if (buffer != nullptr) LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' '))
        text.pop_back();
    return text;
}

std::wstring HexCode(DWORD code) {
    wchar_t buffer[32];
    std::swprintf(buffer, 32, L"Error 0x%08lX", static_cast<unsigned long>(code));
    return buffer;
}

}  // namespace

std::wstring SystemErrorMessage(DWORD code) {
    std::wstring text = FormatSystemMessage(code);
    return text.empty() ? HexCode(code) : text;
}

std::wstring SystemErrorMessage(HRESULT hr) {
    if (HRESULT_FACILITY(hr) == FACILITY_WIN32) return SystemErrorMessage(DWORD(HRESULT_CODE(hr)));
    std::wstring text = FormatSystemMessage(static_cast<DWORD>(hr));
    return text.empty() ? HexCode(static_cast<DWORD>(hr)) : text;
}

PlatformError PlatformError::FromWin32(DWORD code) {
    return PlatformError(SystemErrorMessage(code), HRESULT_FROM_WIN32(code));
}

PlatformError PlatformError::FromHResult(HRESULT hr) {
    return PlatformError(SystemErrorMessage(hr), hr);
}

void ThrowLastError() { throw PlatformError::FromWin32(GetLastError()); }

void ThrowIfFailed(HRESULT hr) {
    if (FAILED(hr)) throw PlatformError::FromHResult(hr);
}

}  // namespace base
