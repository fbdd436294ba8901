#include "app/SPHTMLHelp.h"

#include <utility>

#include "ui/Application.h"
#include "ui/Dialogs.h"
#include "base/Error.h"
#include "base/Handle.h"
#include "ui/HelpSystem.h"
#include "base/Strings.h"

namespace {

constexpr wchar_t kWarningCaption[] = L"Warning!";
constexpr wchar_t kWarningText[] =
    L"Unable to view HTML help (*.chm). Update windows help system. Get new \"HHCTRL.OCX\" "
    L"library.";

struct Engine {
    base::ModuleHandle library;
    THtmlHelpA entry = nullptr;
    std::shared_ptr<TSPHelpViewer> viewer;
    std::shared_ptr<TSPHelpSelector> selector;
    std::shared_ptr<TSPHelpTester> tester;
};

Engine& TheEngine() {
    static Engine engine;
    return engine;
}

HtmlHelpCall& Interceptor() {
    static HtmlHelpCall call;
    return call;
}

// A library without the entry point is never called.
void CallEngine(HWND caller, const char* file, UINT command, DWORD_PTR data) {
    const THtmlHelpA entry = TheEngine().entry;
    if (entry == nullptr) return;
    if (Interceptor()) {
        Interceptor()(caller, file, command, data);
    } else {
        entry(caller, file, command, data);
    }
}

// The engine takes ANSI names; a path the code page cannot spell is given in its short form.
std::string EngineFileName(const std::wstring& path) {
    std::string ansi = base::WideToAnsi(path);
    if (base::AnsiToWide(ansi) == path) return ansi;
    std::wstring shortPath(MAX_PATH, L'\0');
    DWORD length = GetShortPathNameW(path.c_str(), shortPath.data(), DWORD(shortPath.size()));
    if (length >= shortPath.size()) {
        shortPath.resize(length);
        length = GetShortPathNameW(path.c_str(), shortPath.data(), DWORD(shortPath.size()));
    }
    if (length == 0 || length >= shortPath.size()) return ansi;
    shortPath.resize(length);
    std::string shortAnsi = base::WideToAnsi(shortPath);
    return base::AnsiToWide(shortAnsi) == shortPath ? shortAnsi : ansi;
}

bool IsFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

HMODULE LoadEngineLibrary(const wchar_t* name) {
    // From the system folder only, so that a library of that name lying beside the program
    // (in a download folder, say) is never loaded instead.
    HMODULE module = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module == nullptr && GetLastError() == ERROR_INVALID_PARAMETER) {
        module = LoadLibraryW(name);  // an older system without that search flag
    }
    return module;
}

void Install(Engine& engine, HMODULE library) {
    engine.entry = reinterpret_cast<THtmlHelpA>(
        reinterpret_cast<void*>(GetProcAddress(library, kHtmlHelpEntryPoint)));
    if (engine.entry == nullptr) base::ThrowLastError();
    engine.viewer = std::make_shared<TSPHelpViewer>();
    engine.selector = std::make_shared<TSPHelpSelector>(engine.viewer);
    engine.tester = std::make_shared<TSPHelpTester>();
    ui::HelpSystem& help = ui::Help();
    help.RegisterViewer(engine.viewer);
    engine.viewer->SetHelpManager(&help);
    help.LegacyViewer().SetTester(engine.tester);
    help.SetSelector(engine.selector);
}

// Takes back what Install put in place, as far as it got.
void Withdraw(Engine& engine) noexcept {
    ui::HelpSystem& help = ui::Help();
    if (engine.viewer) {
        // Released even when the viewer was already shut down, so that its number is free for
        // the next viewer and nothing can reach the viewer once the engine is gone.
        for (const auto& [id, viewer] : help.Viewers()) {
            if (viewer == engine.viewer) help.Release(id);
        }
        engine.viewer->SetHelpManager(nullptr);
    }
    if (engine.tester && help.LegacyViewer().Tester() == engine.tester) {
        help.LegacyViewer().SetTester(nullptr);
    }
    if (engine.selector && help.Selector() == engine.selector) help.SetSelector(nullptr);
    engine.tester.reset();
    engine.selector.reset();
    engine.viewer.reset();
    engine.entry = nullptr;
}

std::wstring ProgramPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
        if (length == 0) base::ThrowLastError();
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

}  // namespace

std::vector<std::wstring> TSPHelpViewer::GetHelpStrings(const std::wstring& keyword) {
    return {std::wstring(kViewerName) + L": " + keyword};
}

void TSPHelpViewer::ShowTableOfContents() {
    const std::wstring file = HelpFile({});
    if (file.empty()) return;
    CallEngine(Owner(), EngineFileName(file).c_str(), kHhDisplayToc, 0);
}

void TSPHelpViewer::ShowHelp(const std::wstring& keyword) {
    const std::wstring file = HelpFile({});
    if (file.empty()) return;
    const std::string text = base::WideToAnsi(keyword);
    CallEngine(Owner(), EngineFileName(file).c_str(), kHhDisplayIndex, DWORD_PTR(text.c_str()));
}

void TSPHelpViewer::SoftShutDown() { CallEngine(nullptr, nullptr, kHhCloseAll, 0); }

void TSPHelpViewer::ShutDown() {
    CallEngine(nullptr, nullptr, kHhCloseAll, 0);
    if (manager_ != nullptr) manager_->LegacyViewer().SetTester(nullptr);
    manager_ = nullptr;
}

void TSPHelpViewer::DisplayTopic(const std::wstring& topic) {
    const std::wstring file = HelpFile({});
    if (file.empty()) return;
    const std::string target = EngineFileName(file) + "::/" + base::WideToAnsi(topic);
    CallEngine(Owner(), target.c_str(), kHhDisplayTopic, 0);
}

void TSPHelpViewer::DisplayHelpByContext(int contextId, const std::wstring& helpFileName) {
    const std::wstring file = HelpFile(helpFileName);
    if (file.empty()) return;
    CallEngine(Owner(), EngineFileName(file).c_str(), kHhHelpContext,
               DWORD_PTR(static_cast<DWORD>(contextId)));
}

std::wstring TSPHelpViewer::HelpFile(const std::wstring& name) const {
    std::wstring file = !name.empty() || manager_ == nullptr ? name : manager_->HelpFile();
    if (file.empty()) file = ui::App().HelpFile();
    return !file.empty() && IsFile(file) ? file : std::wstring();
}

HWND TSPHelpViewer::Owner() const {
    return manager_ != nullptr ? manager_->OwnerWindow() : nullptr;
}

int TSPHelpSelector::Answer() const {
    const auto viewer = viewer_.lock();
    return viewer ? viewer->ViewerId() - 1 : -1;
}

HtmlHelpCall SetHtmlHelpCall(HtmlHelpCall call) {
    return std::exchange(Interceptor(), std::move(call));
}

bool LoadHtmlHelp(const wchar_t* library) {
    Engine& engine = TheEngine();
    if (engine.library) return true;
    engine = Engine{};
    base::ModuleHandle module(LoadEngineLibrary(library));
    if (module) {
        try {
            Install(engine, module.Get());
            engine.library = std::move(module);
        } catch (...) {
            Withdraw(engine);
        }
    }
    if (!engine.library) ui::ShowWarning(kWarningCaption, kWarningText);
    return bool(engine.library);
}

void UnloadHtmlHelp() {
    Engine& engine = TheEngine();
    if (!engine.library) return;
    if (engine.viewer && engine.viewer->HelpManager() != nullptr) {
        CallEngine(nullptr, nullptr, kHhCloseAll, 0);
    }
    Withdraw(engine);
    // Give the engine's windows time to go before their code is unmapped.
    Sleep(100);
    engine.library.Reset();
}

bool HtmlHelpLoaded() { return bool(TheEngine().library); }
std::shared_ptr<TSPHelpViewer> HelpViewer() { return TheEngine().viewer; }
std::shared_ptr<TSPHelpSelector> HelpSelector() { return TheEngine().selector; }
std::shared_ptr<TSPHelpTester> HelpTester() { return TheEngine().tester; }

std::wstring HelpFileForProgram(const std::wstring& programPath) {
    const std::size_t nameStart = programPath.find_last_of(L"\\/:");
    const std::size_t dot = programPath.rfind(L'.');
    const bool hasExtension =
        dot != std::wstring::npos && (nameStart == std::wstring::npos || dot > nameStart);
    return (hasExtension ? programPath.substr(0, dot) : programPath) + L".chm";
}

void ShowProgramHelp() {
    ui::App().SetHelpFile(HelpFileForProgram(ProgramPath()));
    ui::Help().ShowTableOfContents();
}
