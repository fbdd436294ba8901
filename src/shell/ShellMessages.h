// Private window messages of the shell layer and the shell controls.
#pragma once

#include <windows.h>

namespace shell {

// A device broadcast, re-posted by the device-change receiver to itself.
constexpr UINT kMsgDeviceChange = 0x464;
// A watched folder changed: posted by a change-watching thread to its control's window, with the
// watch's slot as word parameter.
constexpr UINT kMsgChangeNotify = 0x465;
// The deferred first fill of the shell tree, posted to itself when its window is created.
constexpr UINT kMsgDeferredFill = 0x467;

}  // namespace shell
