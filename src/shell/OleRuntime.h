// The component object runtime and OLE for the user-interface thread, for the life of the
// program: create one at the start of WinMain, before any window, and let it go at the end.
#pragma once

class OleRuntime {
  public:
    // Initialises COM and OLE on the calling thread, fetches the shell's allocator and registers
    // the clipboard formats of shell items.
    // Throws when the thread cannot be initialised.
    OleRuntime();
    ~OleRuntime();
    OleRuntime(const OleRuntime&) = delete;
    OleRuntime& operator=(const OleRuntime&) = delete;
};
