// The errors that end a replacement pass: a file that cannot be read or cannot be written.
#pragma once

#include <string>

#include <windows.h>

#include "base/Error.h"

// 'Cannot open file "<path>". <system text>'
base::PlatformError CannotOpenFileError(const std::wstring& path, DWORD code);
// 'Cannot create file "<path>". <system text>'
base::PlatformError CannotCreateFileError(const std::wstring& path, DWORD code);
