// The application object: message loop, title, error display and the hourglass.
#pragma once

#include <exception>
#include <functional>
#include <set>
#include <string>

#include <windows.h>

namespace ui {

class Window;
class Timer;

// The resource identifier of the program's icon, shown by every form.
constexpr int kApplicationIconId = 100;

class Application {
  public:
    // The one application object of the process, created on first request.
    static Application& Instance();

    HINSTANCE ModuleInstance() const noexcept { return instance_; }

    // The application title: the caption of the error display and of the task bar entry.
    const std::wstring& Title() const noexcept { return title_; }
    void SetTitle(std::wstring title) { title_ = std::move(title); }

    // The main window; when it is destroyed the message loop ends.
    Window* MainWindow() const noexcept { return mainWindow_; }
    void SetMainWindow(Window* window) noexcept { mainWindow_ = window; }

    // Runs the message loop until the quit message arrives; returns its exit code.
    int Run();
    // Handles every message that is waiting, then returns. A quit message stays for Run.
    void ProcessMessages();
    // A nested loop, as a modal window runs one: handles messages until done answers true (asked
    // before each message) and returns true, or until the quit message arrives, which it leaves
    // for the outer loop, and returns false.
    bool RunUntil(const std::function<bool()>& done);
    // Asks the loop to end.
    void Terminate(int exitCode = 0);
    bool Terminated() const noexcept { return terminated_; }

    // The application-wide error display: a modal box captioned with the title, a stop icon,
    // the message and OK. Call it from a catch block; it never throws.
    void HandleCurrentException() noexcept;
    void ShowException(const std::wstring& message) noexcept;

    // The cursor shown over every window of the program, or none for each window's own.
    HCURSOR ScreenCursor() const noexcept { return screenCursor_; }
    void SetScreenCursor(HCURSOR cursor) noexcept;

    // A hidden message-only window of the user-interface thread (timers, posted work).
    HWND UtilityWindow();

    // The file name of the application's help; empty until help is first asked for.
    const std::wstring& HelpFile() const noexcept { return helpFile_; }
    void SetHelpFile(std::wstring file) { helpFile_ = std::move(file); }

  private:
    friend class Timer;
    Application();
    static LRESULT CALLBACK UtilityProc(HWND, UINT, WPARAM, LPARAM);
    void Dispatch(MSG& msg);

    HINSTANCE instance_;
    std::wstring title_;
    std::wstring helpFile_;
    Window* mainWindow_ = nullptr;
    HWND utilityWindow_ = nullptr;
    HCURSOR screenCursor_ = nullptr;
    bool terminated_ = false;
    std::set<Timer*> timers_;
};

inline Application& App() { return Application::Instance(); }

// Turns the exception being handled into the text shown to the user.
std::wstring CurrentExceptionMessage();

}  // namespace ui
