#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include <windows.h>
#include <commctrl.h>

#include "app/SPHTMLHelp.h"
#include "common/TempDir.h"
#include "ui/Application.h"
#include "ui/Form.h"
#include "ui/HelpSystem.h"
#include "ui/Strings.h"

using testing_support::MessageBoxRecorder;
using testing_support::TempDir;

namespace {

constexpr wchar_t kProbeVariable[] = L"LUMORA_HELP_PROBE";

struct EngineCall {
    HWND owner;
    std::string file;  // "(none)" when no file was given
    UINT command;
    std::string data;  // the keyword of an index request, else the number
};

// Records the calls bound for the engine while it lives.
class EngineRecorder {
  public:
    EngineRecorder() {
        previous_ =
            SetHtmlHelpCall([this](HWND owner, const char* file, UINT command, DWORD_PTR data) {
                calls.push_back({owner, file != nullptr ? file : "(none)", command,
                                 command == kHhDisplayIndex ? reinterpret_cast<const char*>(data)
                                                            : std::to_string(data)});
                return HWND(nullptr);
            });
    }
    ~EngineRecorder() { SetHtmlHelpCall(std::move(previous_)); }
    EngineRecorder(const EngineRecorder&) = delete;
    EngineRecorder& operator=(const EngineRecorder&) = delete;

    std::vector<EngineCall> calls;

  private:
    HtmlHelpCall previous_;
};

// Every kind of help request the program can make.
const std::vector<std::function<void()>>& AllRequests() {
    static const std::vector<std::function<void()>> requests = {
        [] { ui::Help().ShowTableOfContents(); },
        [] { ui::Help().ShowKeywordHelp(L"backup"); },
        [] { ui::Help().ShowTopicHelp(L"options.htm"); },
        [] { ui::Help().ShowContextHelp(42); },
    };
    return requests;
}

class HtmlHelpTest : public testing::Test {
  protected:
    HtmlHelpTest() : savedHelpFile_(ui::App().HelpFile()) {}
    ~HtmlHelpTest() override {
        UnloadHtmlHelp();
        ui::App().SetHelpFile(savedHelpFile_);
    }

    MessageBoxRecorder boxes;
    EngineRecorder engine;
    TempDir dir;

  private:
    std::wstring savedHelpFile_;
};

std::string Ansi(const std::wstring& text) { return ui::WideToAnsi(text); }

TEST_F(HtmlHelpTest, RealEngineLoadsAndRequestsBecomeTheRightCommands) {
    ASSERT_TRUE(LoadHtmlHelp());
    EXPECT_TRUE(boxes.Boxes().empty());
    ASSERT_TRUE(HelpViewer());
    EXPECT_EQ(HelpViewer()->ViewerId(), 2);
    EXPECT_EQ(ui::Help().Selector(), HelpSelector());
    EXPECT_EQ(ui::Help().LegacyViewer().Tester(), HelpTester());

    ui::Form mainForm(L"Main", 300, 200);
    ui::App().SetMainWindow(&mainForm);
    const std::wstring book = dir.Write(L"Help Book.chm", "x");
    const std::wstring other = dir.Write(L"Other.chm", "y");
    ui::App().SetHelpFile(book);

    struct Case {
        std::function<void()> request;
        UINT command;
        std::string file;
        std::string data;
    } cases[] = {
        {[] { ui::Help().ShowTableOfContents(); }, kHhDisplayToc, Ansi(book), "0"},
        {[] { ui::Help().ShowKeywordHelp(L"backup"); }, kHhDisplayIndex, Ansi(book), "backup"},
        {[] { ui::Help().ShowTopicHelp(L"options.htm"); }, kHhDisplayTopic,
         Ansi(book) + "::/options.htm", "0"},
        {[&] { ui::Help().ShowTopicHelp(L"log.htm", other); }, kHhDisplayTopic,
         Ansi(other) + "::/log.htm", "0"},
        {[] { ui::Help().ShowContextHelp(42); }, kHhHelpContext, Ansi(book), "42"},
        {[&] { ui::Help().ShowContextHelp(7, other); }, kHhHelpContext, Ansi(other), "7"},
    };
    for (const Case& c : cases) {
        engine.calls.clear();
        c.request();
        ASSERT_EQ(engine.calls.size(), 1u) << c.file;
        EXPECT_EQ(engine.calls[0].owner, mainForm.Handle());
        EXPECT_EQ(engine.calls[0].command, c.command) << c.file;
        EXPECT_EQ(engine.calls[0].file, c.file);
        EXPECT_EQ(engine.calls[0].data, c.data) << c.file;
    }
    ui::App().SetMainWindow(nullptr);
}

TEST_F(HtmlHelpTest, WithoutAnExistingHelpFileNothingIsAsked) {
    ASSERT_TRUE(LoadHtmlHelp());
    const std::wstring folder = dir.MakeDir(L"Folder.chm");
    for (const std::wstring& file : {std::wstring(), dir / L"Missing.chm", folder}) {
        ui::App().SetHelpFile(file);
        for (const auto& request : AllRequests()) request();
    }
    // A file named by the request counts alone, even when the application's exists.
    ui::App().SetHelpFile(dir.Write(L"Lumora.chm", "x"));
    ui::Help().ShowContextHelp(1, dir / L"Missing.chm");
    EXPECT_TRUE(engine.calls.empty());
}

TEST_F(HtmlHelpTest, PathOutsideTheCodePageReachesTheEngineByAName) {
    ASSERT_TRUE(LoadHtmlHelp());
    const std::wstring book =
        dir.Write(L"\x0421\x043f\x0440\x0430\x0432\x043a\x0430\\Book.chm", "x");
    ui::App().SetHelpFile(book);
    ui::Help().ShowTableOfContents();
    ASSERT_EQ(engine.calls.size(), 1u);
    const DWORD attributes = GetFileAttributesA(engine.calls[0].file.c_str());
    EXPECT_NE(attributes, INVALID_FILE_ATTRIBUTES) << engine.calls[0].file;
}

TEST_F(HtmlHelpTest, SelectorPicksTheHtmlViewerAndTesterDeclinesEverything) {
    ASSERT_TRUE(LoadHtmlHelp());
    TSPHelpSelector& selector = *HelpSelector();
    for (const std::vector<std::wstring>& list :
         {std::vector<std::wstring>{}, {L"", L"HtmlHelp"}, {L"a", L"b", L"c", L"d"}}) {
        EXPECT_EQ(selector.SelectKeyword(list), 1);
        EXPECT_EQ(selector.TableOfContents(list), 1);
    }
    TSPHelpTester& tester = *HelpTester();
    EXPECT_FALSE(tester.CanShowALink(L"backup", L"Lumora.chm"));
    EXPECT_FALSE(tester.CanShowTopic(L"log.htm", L"Lumora.chm"));
    EXPECT_FALSE(tester.CanShowContext(3, L"Lumora.chm"));
    EXPECT_TRUE(tester.GetHelpPath().empty());
    EXPECT_TRUE(tester.GetDefaultHelpFile().empty());
    EXPECT_EQ(HelpViewer()->GetHelpStrings(L"backup"),
              std::vector<std::wstring>{L"HtmlHelp: backup"});
}

TEST_F(HtmlHelpTest, ShutDownClosesHelpWindowsAndUnloadingWithdrawsEverything) {
    ASSERT_TRUE(LoadHtmlHelp());
    const auto viewer = HelpViewer();
    viewer->SoftShutDown();
    ASSERT_EQ(engine.calls.size(), 1u);
    EXPECT_EQ(engine.calls[0].owner, nullptr);
    EXPECT_EQ(engine.calls[0].file, "(none)");
    EXPECT_EQ(engine.calls[0].command, kHhCloseAll);
    EXPECT_EQ(engine.calls[0].data, "0");

    UnloadHtmlHelp();
    ASSERT_EQ(engine.calls.size(), 2u);
    EXPECT_EQ(engine.calls[1].file, "(none)");
    EXPECT_EQ(engine.calls[1].command, kHhCloseAll);
    EXPECT_FALSE(HtmlHelpLoaded());
    EXPECT_FALSE(HelpViewer());
    EXPECT_EQ(viewer->HelpManager(), nullptr);
    EXPECT_EQ(ui::Help().Viewers().size(), 1u);
    EXPECT_FALSE(ui::Help().Selector());
    EXPECT_FALSE(ui::Help().LegacyViewer().Tester());

    // A viewer shut down by its help system lets go of it and of the legacy viewer's tester;
    // the program still unloads cleanly afterwards and the next viewer gets number 2 again.
    ASSERT_TRUE(LoadHtmlHelp());
    HelpViewer()->ShutDown();
    EXPECT_EQ(engine.calls.back().command, kHhCloseAll);
    EXPECT_EQ(HelpViewer()->HelpManager(), nullptr);
    EXPECT_FALSE(ui::Help().LegacyViewer().Tester());
    const std::size_t calls = engine.calls.size();
    UnloadHtmlHelp();
    EXPECT_EQ(engine.calls.size(), calls);
    ASSERT_TRUE(LoadHtmlHelp());
    EXPECT_EQ(HelpViewer()->ViewerId(), 2);

    // The real engine takes the closing command too.
    SetHtmlHelpCall(nullptr);
    UnloadHtmlHelp();
    EXPECT_FALSE(HtmlHelpLoaded());
}

std::wstring ThisProgram() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::wstring(path, length);
}

// The first window of the class among this thread's top-level windows, or among the
// descendants of parent.
HWND FindWindowOfClass(const wchar_t* className, HWND parent = nullptr) {
    struct Search {
        const wchar_t* className;
        HWND found;
    } search{className, nullptr};
    const WNDENUMPROC test = [](HWND window, LPARAM data) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(data);
        wchar_t name[64];
        if (GetClassNameW(window, name, 64) == 0 || wcscmp(name, s.className) != 0) return TRUE;
        s.found = window;
        return FALSE;
    };
    if (parent == nullptr) {
        EnumThreadWindows(GetCurrentThreadId(), test, LPARAM(&search));
    } else {
        EnumChildWindows(parent, test, LPARAM(&search));
    }
    return search.found;
}

TEST_F(HtmlHelpTest, RealEngineOpensTheBuiltHelpBookAtItsContents) {
    // The build puts the book beside Lumora.exe, two folders up from this test program.
    std::wstring book = ThisProgram();
    for (int i = 0; i < 3; ++i) book.erase(book.find_last_of(L'\\'));
    book += L"\\bin\\Lumora.chm";
    ASSERT_TRUE(testing_support::FileExists(book)) << Ansi(book);
    SetHtmlHelpCall(nullptr);
    ASSERT_TRUE(LoadHtmlHelp());
    ui::App().SetHelpFile(book);

    ASSERT_TRUE(ui::Help().ShowTableOfContents());
    const HWND window = FindWindowOfClass(L"HH Parent");
    ASSERT_NE(window, nullptr);
    const HWND contents = FindWindowOfClass(WC_TREEVIEWW, window);
    EXPECT_EQ(SendMessageW(contents, TVM_GETCOUNT, 0, 0), 8);  // one entry per page

    UnloadHtmlHelp();
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(HtmlHelpTest, EngineThatCannotBeUsedWarnsOnceAndHelpThenDoesNothing) {
    ui::App().SetHelpFile(dir.Write(L"Lumora.chm", "x"));
    // A library that is missing, and one that loads but has no entry point.
    for (const wchar_t* library : {L"LumoraNoSuchEngine.ocx", L"shlwapi.dll"}) {
        boxes.Clear();
        EXPECT_FALSE(LoadHtmlHelp(library)) << ui::WideToUtf8(library);
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        const ui::MessageBoxRequest& box = boxes.Boxes()[0];
        EXPECT_EQ(box.caption, L"Warning!");
        EXPECT_EQ(box.text,
                  L"Unable to view HTML help (*.chm). Update windows help system. "
                  L"Get new \"HHCTRL.OCX\" library.");
        EXPECT_EQ(box.type, UINT(MB_OK | MB_ICONWARNING));
        EXPECT_EQ(box.owner, nullptr);

        for (const auto& request : AllRequests()) request();
        ShowProgramHelp();
        UnloadHtmlHelp();
        EXPECT_TRUE(engine.calls.empty());
        EXPECT_EQ(boxes.Boxes().size(), 1u);
        EXPECT_EQ(ui::Help().Viewers().size(), 1u);
        EXPECT_FALSE(ui::Help().Selector());
    }
}

TEST(ProgramHelp, HelpFileIsTheProgramPathWithTheExtensionReplaced) {
    const struct {
        const wchar_t* program;
        const wchar_t* help;
    } cases[] = {
        {L"C:\\Tools\\Lumora.exe", L"C:\\Tools\\Lumora.chm"},
        {L"C:\\Tools\\Lumora.v2.exe", L"C:\\Tools\\Lumora.v2.chm"},
        {L"C:\\Tools.1\\Lumora", L"C:\\Tools.1\\Lumora.chm"},
        {L"\\\\server\\share\\Replace It.EXE", L"\\\\server\\share\\Replace It.chm"},
    };
    for (const auto& c : cases) EXPECT_EQ(HelpFileForProgram(c.program), c.help);
}

// Run in a child process by the test below: loads the engine, chooses Help › Help and writes
// what the engine was asked to the file named by the environment.
TEST(ProgramHelpProbe, DISABLED_ChooseHelp) {
    const wchar_t* output = _wgetenv(kProbeVariable);
    if (output == nullptr) GTEST_SKIP();
    MessageBoxRecorder boxes;
    EngineRecorder engine;
    ASSERT_TRUE(LoadHtmlHelp());
    ShowProgramHelp();
    std::string lines;
    for (const EngineCall& call : engine.calls)
        lines += std::to_string(call.command) + "|" + call.file + "|" + call.data + "\n";
    testing_support::WriteFileBytes(output, lines);
    UnloadHtmlHelp();
}

// Runs a copy of this test program under another path as the probe; returns what it wrote.
std::string RunProbeAs(const std::wstring& program, const std::wstring& output) {
    if (!CopyFileW(ThisProgram().c_str(), program.c_str(), FALSE)) return "copy failed";
    SetEnvironmentVariableW(kProbeVariable, output.c_str());
    std::wstring commandLine = L"\"" + program +
                               L"\" --gtest_also_run_disabled_tests"
                               L" --gtest_filter=ProgramHelpProbe.DISABLED_ChooseHelp";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE nul =
        CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = nul;
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                        0, nullptr, nullptr, &startup, &process);
    SetEnvironmentVariableW(kProbeVariable, nullptr);
    CloseHandle(nul);
    if (!started) return "not started";
    // Generous, only so that a hung child cannot hang the run.
    if (WaitForSingleObject(process.hProcess, 120000) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return testing_support::FileExists(output) ? testing_support::ReadFileBytes(output)
                                               : "no output";
}

TEST(ProgramHelp, HelpAsksForTheHelpFileThatBearsTheProgramsName) {
    TempDir dir;
    const struct {
        const wchar_t* program;
        const wchar_t* help;  // written beside the program, or null
    } cases[] = {
        {L"Tools\\Lumora.exe", L"Tools\\Lumora.chm"},
        {L"Tools\\Renamed Tool.exe", L"Tools\\Renamed Tool.chm"},
        {L"Tools\\NoHelp.exe", nullptr},
    };
    dir.Write(L"Tools\\Lumora.chm", "x");
    dir.Write(L"Tools\\Renamed Tool.chm", "x");
    for (const auto& c : cases) {
        const std::wstring output = dir / (std::wstring(c.program) + L".txt");
        const std::string expected =
            c.help != nullptr ? "1|" + Ansi(dir / c.help) + "|0\n" : std::string();
        EXPECT_EQ(RunProbeAs(dir / c.program, output), expected) << Ansi(c.program);
    }
}

}  // namespace
