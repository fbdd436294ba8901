// Lumora: replaces a text in many files at once.
#include <windows.h>
#include <commctrl.h>

#include "../res/resource.h"
#include "app/MainForm.h"
#include "app/SPHTMLHelp.h"
#include "app/Startup.h"
#include "shell/OleRuntime.h"
#include "shellctl/ShellControls.h"
#include "ui/Application.h"

static_assert(IDI_LUMORA == ui::kApplicationIconId, "the forms load the program's icon by this id");

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // The component object runtime and OLE for this thread, for the whole life of the program.
    OleRuntime oleRuntime;

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_DATE_CLASSES |
                                                       ICC_USEREX_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    // Loaded before any window exists (it may warn that help is unavailable), unloaded after
    // the main window is gone.
    HtmlHelpUnit htmlHelp;

    // The shell controls' classes, registered by name for the layouts.
    shellctl::ShellControlsUnit shellControls;

    return RunMainForm([] { return std::make_unique<TMainForm>(); });
}
