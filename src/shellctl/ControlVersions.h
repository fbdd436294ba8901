// Process-wide facts that steer the styles of the tree and list controls, in the form the controls
// compare them: whether the platform is NT, and the version of the common-controls library the
// program runs with. Both are read once, on first request.
#pragma once

#include <compare>

namespace shellctl {

struct ModuleVersion {
    unsigned major = 0;
    unsigned minor = 0;
    auto operator<=>(const ModuleVersion&) const = default;
};

// The version of the common-controls library activated for this process (version 6 through the
// manifest); 0.0 when the library reports none, so that every version test takes the older path.
ModuleVersion CommonControlsVersion();
// True on the NT line of the platform.
bool PlatformIsNT();

}  // namespace shellctl
