// Control classes that can be created by name, so that a layout can name the class of a control
// instead of constructing it.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/Window.h"

namespace ui {

// Creates a control of one class as a child of the given parent.
using ControlFactory = std::function<std::unique_ptr<Window>(Window& parent)>;

// Registers a class under a name. A name that is registered already keeps its class; the answer
// is then false.
bool RegisterControlClass(const std::wstring& name, ControlFactory factory);
// Removes a registered name; an unknown name is ignored.
void UnregisterControlClass(const std::wstring& name);
bool IsControlClassRegistered(const std::wstring& name);
// The registered names, in alphabetical order.
std::vector<std::wstring> RegisteredControlClasses();
// Creates a control of the named class. Raises "Class <name> not found" for an unknown name.
std::unique_ptr<Window> CreateControl(const std::wstring& name, Window& parent);

}  // namespace ui
