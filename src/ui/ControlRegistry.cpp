#include "ui/ControlRegistry.h"

#include <map>

#include "base/Error.h"

namespace ui {
namespace {

std::map<std::wstring, ControlFactory>& Classes() {
    static std::map<std::wstring, ControlFactory> classes;
    return classes;
}

}  // namespace

bool RegisterControlClass(const std::wstring& name, ControlFactory factory) {
    if (name.empty() || !factory) return false;
    return Classes().try_emplace(name, std::move(factory)).second;
}

void UnregisterControlClass(const std::wstring& name) { Classes().erase(name); }

bool IsControlClassRegistered(const std::wstring& name) { return Classes().contains(name); }

std::vector<std::wstring> RegisteredControlClasses() {
    std::vector<std::wstring> names;
    for (const auto& entry : Classes()) names.push_back(entry.first);
    return names;
}

std::unique_ptr<Window> CreateControl(const std::wstring& name, Window& parent) {
    auto found = Classes().find(name);
    if (found == Classes().end()) throw base::Error(L"Class " + name + L" not found");
    // A copy, so that a factory that changes the registry does not pull itself away.
    const ControlFactory factory = found->second;
    return factory(parent);
}

}  // namespace ui
