#include "app/Startup.h"

#include "app/Product.h"
#include "ui/Application.h"

int RunMainForm(const std::function<std::unique_ptr<ui::Form>()>& createMainForm) {
    ui::Application& app = ui::App();
    // Before anything can fail: the error display is captioned with the title.
    app.SetTitle(kApplicationTitle);
    app.SetHelpFile(L"");
    try {
        std::unique_ptr<ui::Form> mainForm = createMainForm();
        app.SetMainWindow(mainForm.get());
        mainForm->Show();
        return app.Run();
    } catch (...) {
        app.HandleCurrentException();
        return 1;
    }
}
