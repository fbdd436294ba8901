// Private window messages shared by the shell controls and their helpers.
#pragma once

#include <windows.h>

namespace ui {

// A device broadcast re-posted by the device-change receiver; in the list view base, the header
// refresh.
constexpr UINT kMsgDeviceChange = 0x464;
// A watched folder changed (posted by a change-watching thread; word parameter = the slot).
constexpr UINT kMsgChangeNotify = 0x465;
// The deferred first fill of the shell tree.
constexpr UINT kMsgDeferredFill = 0x467;

}  // namespace ui
