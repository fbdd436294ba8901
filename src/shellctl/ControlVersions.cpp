#include "shellctl/ControlVersions.h"

#include <windows.h>
#include <shlwapi.h>

namespace shellctl {
namespace {

ModuleVersion ReadCommonControlsVersion() {
    // The module loaded under the activation context, not the file of that name on the search
    // path: on some systems the system folder holds version 5 while the program runs with 6.
    HMODULE module = GetModuleHandleW(L"comctl32.dll");
    if (module == nullptr) return {};
    auto getVersion = reinterpret_cast<DLLGETVERSIONPROC>(
        reinterpret_cast<void*>(GetProcAddress(module, "DllGetVersion")));
    if (getVersion == nullptr) return {};
    DLLVERSIONINFO info{};
    info.cbSize = sizeof info;
    if (FAILED(getVersion(&info))) return {};
    return {info.dwMajorVersion, info.dwMinorVersion};
}

bool ReadPlatformIsNT() {
    OSVERSIONINFOEXW info{};
    info.dwOSVersionInfoSize = sizeof info;
    info.dwPlatformId = VER_PLATFORM_WIN32_NT;
    const ULONGLONG condition = VerSetConditionMask(0, VER_PLATFORMID, VER_EQUAL);
    return VerifyVersionInfoW(&info, VER_PLATFORMID, condition) != FALSE;
}

}  // namespace

ModuleVersion CommonControlsVersion() {
    static const ModuleVersion version = ReadCommonControlsVersion();
    return version;
}

bool PlatformIsNT() {
    static const bool nt = ReadPlatformIsNT();
    return nt;
}

}  // namespace shellctl
