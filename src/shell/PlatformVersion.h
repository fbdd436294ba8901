// The platform's version and the version resources of its modules.
#pragma once

#include <string>

#include <windows.h>

// A module's file version as its version resource gives it: major.minor in the high 32 bits
// (VersionMS), build.revision in the low (VersionLS).
struct TFileVersion {
    DWORD VersionMS = 0;
    DWORD VersionLS = 0;

    WORD Major() const noexcept { return HIWORD(VersionMS); }
    WORD Minor() const noexcept { return LOWORD(VersionMS); }
    // True when the version is at least major.minor.
    bool AtLeast(WORD major, WORD minor) const noexcept {
        return VersionMS >= static_cast<DWORD>(MAKELONG(minor, major));
    }
};

// True on the NT family of the platform.
bool IsWinNT();
// Reads a module's version resource; false when the file has none (the record is left as it was).
bool GetFileVersion(const std::wstring& fileName, TFileVersion& version);
// The version of the common controls library the program runs with, read once; 0.0 when it
// reports none.
const TFileVersion& CommonControlsVersion();
