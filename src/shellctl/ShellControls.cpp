#include "shellctl/ShellControls.h"

#include <memory>

#include "shellctl/PTGroup.h"
#include "ui/ControlRegistry.h"

namespace shellctl {
namespace {
constexpr wchar_t kPaneClassName[] = L"TPTPane";
}

ShellControlsUnit::ShellControlsUnit()
    : paneRegistered_(ui::RegisterControlClass(kPaneClassName, [](ui::Window& parent) {
          return std::unique_ptr<ui::Window>(new TPTPane(parent));
      })) {}

ShellControlsUnit::~ShellControlsUnit() {
    if (paneRegistered_) ui::UnregisterControlClass(kPaneClassName);
}

}  // namespace shellctl
