// The main window of Lumora.
#pragma once

#include "ui/Font.h"
#include "ui/Form.h"

class TMainForm : public ui::Form {
public:
    TMainForm();

    void MenuItem_ExitClick(ui::MenuItem& sender);

private:
    void BuildMenu();

    ui::FontHandle font_;
};
