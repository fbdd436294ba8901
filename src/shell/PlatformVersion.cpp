#include "shell/PlatformVersion.h"

#include <vector>

#include <shlwapi.h>
#include <winver.h>

bool IsWinNT() {
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    return GetVersionExW(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

bool GetFileVersion(const std::wstring& fileName, TFileVersion& version) {
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(fileName.c_str(), &handle);
    if (size == 0) return false;
    std::vector<BYTE> block(size);
    if (!GetFileVersionInfoW(fileName.c_str(), 0, size, block.data())) return false;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) ||
        fixed == nullptr || length < sizeof(VS_FIXEDFILEINFO))
        return false;
    version.VersionMS = fixed->dwFileVersionMS;
    version.VersionLS = fixed->dwFileVersionLS;
    return true;
}

const TFileVersion& CommonControlsVersion() {
    static const TFileVersion version = [] {
        TFileVersion result;
        // Ask the module loaded under the program's activation context: the file of that name on
        // the search path may be version 5 while the manifest gives the program version 6.
        HMODULE module = GetModuleHandleW(L"comctl32.dll");
        auto getVersion = module == nullptr
                              ? nullptr
                              : reinterpret_cast<DLLGETVERSIONPROC>(reinterpret_cast<void*>(
                                    GetProcAddress(module, "DllGetVersion")));
        DLLVERSIONINFO info{};
        info.cbSize = sizeof info;
        if (getVersion != nullptr && SUCCEEDED(getVersion(&info))) {
            result.VersionMS = MAKELONG(info.dwMinorVersion, info.dwMajorVersion);
            result.VersionLS = MAKELONG(0, info.dwBuildNumber);
        } else {
            GetFileVersion(L"comctl32.dll", result);
        }
        return result;
    }();
    return version;
}
