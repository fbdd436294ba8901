// The program's life between its initialisation and its end: the main window built, shown and
// served until it is gone.
#pragma once

#include <functional>
#include <memory>

#include "ui/Form.h"

// Makes the main window, shows it and runs the message loop until it is gone; returns the exit
// code. An error while the window is built or shown reaches the error display, captioned with
// the application title like every other, and ends the program with 1.
int RunMainForm(const std::function<std::unique_ptr<ui::Form>()>& createMainForm);
