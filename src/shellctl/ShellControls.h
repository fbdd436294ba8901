// The shell controls as a unit of the program: what has to be in place before the first shell
// control is made and is taken down after the last. The program makes one at start-up and keeps
// it to the end (main.cpp); a test that needs the same makes its own.
//
// It registers the control classes that layouts create by name (TPTPane, ui/ControlRegistry.h).
// The registration is explicit: a static object registering itself would be dropped, together
// with its object file, from any program that uses nothing else of that file.
#pragma once

namespace shellctl {

class ShellControlsUnit {
  public:
    // Registers the classes; a name registered already keeps its class.
    ShellControlsUnit();
    // Unregisters the names it registered.
    ~ShellControlsUnit();
    ShellControlsUnit(const ShellControlsUnit&) = delete;
    ShellControlsUnit& operator=(const ShellControlsUnit&) = delete;

  private:
    bool paneRegistered_;
};

}  // namespace shellctl
