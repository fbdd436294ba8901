#include "shellctl/ControlVersions.h"

#include "shell/PlatformVersion.h"

namespace shellctl {

ModuleVersion CommonControlsVersion() {
    const TFileVersion& version = ::CommonControlsVersion();
    return {version.Major(), version.Minor()};
}

bool PlatformIsNT() {
    static const bool nt = IsWinNT();
    return nt;
}

}  // namespace shellctl
