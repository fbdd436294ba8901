// Help through the platform's HTML help engine. The engine is loaded when the program starts,
// before the main window; the application's help requests then reach it through the viewer
// registered here.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <windows.h>

#include "app/HtmlHelpAPI.h"
#include "ui/HelpViewer.h"

namespace ui {
class HelpSystem;
}

// Shows the help file in the HTML help engine. Every operation finds its help file first: the
// name given, else the help system's, else the application's; only an existing file counts, and
// without one the operation does nothing.
class TSPHelpViewer final : public ui::IExtendedHelpViewer {
  public:
    static constexpr wchar_t kViewerName[] = L"HtmlHelp";

    int ViewerId() const noexcept { return viewerId_; }
    // The help system that numbered the viewer; null before that and after shut-down.
    ui::HelpSystem* HelpManager() const noexcept { return manager_; }
    void SetHelpManager(ui::HelpSystem* manager) noexcept { manager_ = manager; }

    std::wstring GetViewerName() override { return kViewerName; }
    int UnderstandsKeyword(const std::wstring&) override { return 1; }
    std::vector<std::wstring> GetHelpStrings(const std::wstring& keyword) override;
    bool CanShowTableOfContents() override { return true; }
    void ShowTableOfContents() override;
    void ShowHelp(const std::wstring& keyword) override;
    void NotifyID(int viewerId) override { viewerId_ = viewerId; }
    void SoftShutDown() override;
    void ShutDown() override;
    bool UnderstandsTopic(const std::wstring&) override { return true; }
    void DisplayTopic(const std::wstring& topic) override;
    bool UnderstandsContext(int, const std::wstring&) override { return true; }
    void DisplayHelpByContext(int contextId, const std::wstring& helpFileName) override;

  private:
    std::wstring HelpFile(const std::wstring& name) const;
    HWND Owner() const;

    int viewerId_ = 0;
    ui::HelpSystem* manager_ = nullptr;
};

// Makes the help system choose the HTML viewer: both answers are its number minus one, which is
// its index among the sorted names of the legacy viewer ("") and this one.
class TSPHelpSelector final : public ui::IHelpSelector {
  public:
    explicit TSPHelpSelector(std::weak_ptr<const TSPHelpViewer> viewer)
        : viewer_(std::move(viewer)) {}
    int SelectKeyword(const std::vector<std::wstring>&) override { return Answer(); }
    int TableOfContents(const std::vector<std::wstring>&) override { return Answer(); }

  private:
    int Answer() const;
    std::weak_ptr<const TSPHelpViewer> viewer_;
};

// Keeps the legacy viewer out of the way: it declines everything.
class TSPHelpTester final : public ui::ILegacyHelpTester {
  public:
    bool CanShowALink(const std::wstring&, const std::wstring&) override { return false; }
    bool CanShowTopic(const std::wstring&, const std::wstring&) override { return false; }
    bool CanShowContext(int, const std::wstring&) override { return false; }
    std::vector<std::wstring> GetHelpStrings(const std::wstring&) override { return {}; }
    std::wstring GetHelpPath() override { return {}; }
    std::wstring GetDefaultHelpFile() override { return {}; }
};

// While set, the calls bound for the engine go to this function instead, so that tests can see
// them. Calls are only made while the engine is loaded. Returns the previous function.
using HtmlHelpCall =
    std::function<HWND(HWND caller, const char* file, UINT command, DWORD_PTR data)>;
HtmlHelpCall SetHtmlHelpCall(HtmlHelpCall call);

// Loads the engine library, finds its entry point and installs the viewer, the selector and the
// tester. When that fails the warning box is shown and the program goes on without HTML help.
// Returns whether the engine is loaded.
bool LoadHtmlHelp(const wchar_t* library = kHtmlHelpLibrary);
// Closes the help windows, withdraws the viewer, the selector and the tester, and unloads the
// engine.
void UnloadHtmlHelp();
bool HtmlHelpLoaded();
// The program-wide objects; null while the engine is not loaded.
std::shared_ptr<TSPHelpViewer> HelpViewer();
std::shared_ptr<TSPHelpSelector> HelpSelector();
std::shared_ptr<TSPHelpTester> HelpTester();

// The engine for the life of the object: create it at program start-up, before the main window,
// and let it go after the main window is gone.
class HtmlHelpUnit {
  public:
    explicit HtmlHelpUnit(const wchar_t* library = kHtmlHelpLibrary) { LoadHtmlHelp(library); }
    ~HtmlHelpUnit() { UnloadHtmlHelp(); }
    HtmlHelpUnit(const HtmlHelpUnit&) = delete;
    HtmlHelpUnit& operator=(const HtmlHelpUnit&) = delete;
};

// The help file that belongs to a program: its path with the extension replaced by ".chm".
std::wstring HelpFileForProgram(const std::wstring& programPath);
// Help › Help: the help file beside this program becomes the application's, and its table of
// contents is shown. A missing help file shows nothing.
void ShowProgramHelp();
