// Errors are exceptions carrying a message text for the user.
#pragma once

#include <exception>
#include <string>

#include <windows.h>

namespace base {

// The base of every error we raise: a message meant to be shown as it is.
class Error : public std::exception {
  public:
    explicit Error(std::wstring message);
    const std::wstring& Message() const noexcept { return message_; }
    // The message in UTF-8, for logs and test output.
    const char* what() const noexcept override { return utf8_.c_str(); }

  private:
    std::wstring message_;
    std::string utf8_;
};

// A failure of the platform, carrying its code and the system's text for it.
class PlatformError : public Error {
  public:
    // From a Win32 error code (GetLastError).
    static PlatformError FromWin32(DWORD code);
    // From an HRESULT; Win32 codes wrapped in an HRESULT get the same text as the code itself.
    static PlatformError FromHResult(HRESULT hr);

    // A message of our own followed by the system's text, e.g. 'Cannot open "x". <system text>'.
    PlatformError(std::wstring message, HRESULT hr) : Error(std::move(message)), hr_(hr) {}
    HRESULT Code() const noexcept { return hr_; }

  private:
    HRESULT hr_;
};

// An Assign between objects of different classes.
class AssignError : public Error {
  public:
    AssignError(const std::wstring& sourceClass, const std::wstring& destClass);
};

// The system's description of a Win32 error code or an HRESULT, without a trailing line break.
// A code the system has no text for gives "Error 0x<hex>".
std::wstring SystemErrorMessage(DWORD code);
std::wstring SystemErrorMessage(HRESULT hr);

// Raise the last Win32 error (GetLastError) as a PlatformError.
[[noreturn]] void ThrowLastError();
// Raise a failed HRESULT as a PlatformError; succeeding results pass.
void ThrowIfFailed(HRESULT hr);

}  // namespace base
