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
#include "base/Strings.h"

using testing_support::MessageBoxRecorder;
using testing_support::TempDir;

namespace {

using Calls = std::vector<std::string>;
constexpr wchar_t kProbeVariable[] = L"LUMORA_HELP_PROBE";

std::string Ansi(const std::wstring& text) { return base::WideToAnsi(text); }

// Records the calls bound for the engine as "command file data" (the keyword of an index
// request, else the number), and the owner window of each.
class EngineRecorder {
  public:
    EngineRecorder() {
        previous_ =
            SetHtmlHelpCall([this](HWND owner, const char* file, UINT command, DWORD_PTR data) {
                owners.push_back(owner);
                calls.push_back(std::to_string(command) + " " + (file ? file : "(none)") + " " +
                                (command == kHhDisplayIndex ? reinterpret_cast<const char*>(data)
                                                            : std::to_string(data)));
                return HWND(nullptr);
            });
    }
    ~EngineRecorder() { SetHtmlHelpCall(std::move(previous_)); }

    Calls calls;
    std::vector<HWND> owners;

  private:
    HtmlHelpCall previous_;
};

void MakeEveryRequest() {
    ui::Help().ShowTableOfContents();
    ui::Help().ShowKeywordHelp(L"backup");
    ui::Help().ShowTopicHelp(L"options.htm");
    ui::Help().ShowContextHelp(42);
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

TEST_F(HtmlHelpTest, RealEngineLoadsAndRequestsBecomeTheRightCommands) {
    ASSERT_TRUE(LoadHtmlHelp());
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(HelpViewer()->ViewerId(), 2);
    // The selector picks the HTML viewer for both choices.
    EXPECT_EQ(HelpSelector()->TableOfContents({L"", L"HtmlHelp"}), 1);
    EXPECT_EQ(HelpSelector()->SelectKeyword({L"a", L"b", L"c"}), 1);

    ui::Form mainForm(L"Main", 300, 200);
    ui::App().SetMainWindow(&mainForm);
    const std::string book = Ansi(dir.Write(L"Help Book.chm", "x"));
    const std::wstring other = dir.Write(L"Other.chm", "y");
    ui::App().SetHelpFile(dir / L"Help Book.chm");
    MakeEveryRequest();
    ui::Help().ShowTopicHelp(L"log.htm", other);
    ui::Help().ShowContextHelp(7, other);
    ui::App().SetMainWindow(nullptr);

    EXPECT_EQ(engine.calls,
              (Calls{"1 " + book + " 0", "2 " + book + " backup", "0 " + book + "::/options.htm 0",
                     "15 " + book + " 42", "0 " + Ansi(other) + "::/log.htm 0",
                     "15 " + Ansi(other) + " 7"}));
    EXPECT_EQ(engine.owners, std::vector<HWND>(6, mainForm.Handle()));
}

TEST_F(HtmlHelpTest, WithoutAnExistingHelpFileNothingIsAsked) {
    ASSERT_TRUE(LoadHtmlHelp());
    for (const std::wstring& file : {std::wstring(), dir / L"Missing.chm", dir.MakeDir(L"A.chm")}) {
        ui::App().SetHelpFile(file);
        MakeEveryRequest();
    }
    // A file named by the request counts alone, even when the application's exists.
    ui::App().SetHelpFile(dir.Write(L"Lumora.chm", "x"));
    ui::Help().ShowContextHelp(1, dir / L"Missing.chm");
    EXPECT_TRUE(engine.calls.empty());
}

TEST_F(HtmlHelpTest, PathOutsideTheCodePageReachesTheEngineByAName) {
    ASSERT_TRUE(LoadHtmlHelp());
    ui::App().SetHelpFile(dir.Write(L"\x0421\x043f\x0440\x0430\x0432\x043a\x0430\\B.chm", "x"));
    ui::Help().ShowTableOfContents();
    ASSERT_EQ(engine.calls.size(), 1u);
    const std::string file = engine.calls[0].substr(2, engine.calls[0].size() - 4);
    EXPECT_NE(GetFileAttributesA(file.c_str()), INVALID_FILE_ATTRIBUTES) << file;
}

TEST_F(HtmlHelpTest, ShutDownClosesHelpWindowsAndUnloadingWithdrawsEverything) {
    ASSERT_TRUE(LoadHtmlHelp());
    const auto viewer = HelpViewer();
    viewer->SoftShutDown();
    UnloadHtmlHelp();
    EXPECT_EQ(engine.calls, (Calls{"18 (none) 0", "18 (none) 0"}));
    EXPECT_EQ(engine.owners, std::vector<HWND>(2, nullptr));
    EXPECT_FALSE(HtmlHelpLoaded());
    EXPECT_EQ(viewer->HelpManager(), nullptr);
    EXPECT_EQ(ui::Help().Viewers().size(), 1u);
    EXPECT_FALSE(ui::Help().Selector());
    EXPECT_FALSE(ui::Help().LegacyViewer().Tester());

    // A viewer that was shut down has let go of the help system and the legacy viewer's
    // tester; unloading then sends nothing more, and the next viewer is number 2 again.
    ASSERT_TRUE(LoadHtmlHelp());
    HelpViewer()->ShutDown();
    EXPECT_EQ(HelpViewer()->HelpManager(), nullptr);
    EXPECT_FALSE(ui::Help().LegacyViewer().Tester());
    UnloadHtmlHelp();
    EXPECT_EQ(engine.calls.size(), 3u);
    ASSERT_TRUE(LoadHtmlHelp());
    EXPECT_EQ(HelpViewer()->ViewerId(), 2);
}

TEST_F(HtmlHelpTest, RealEngineOpensTheBuiltHelpBookAtItsContents) {
    wchar_t self[MAX_PATH];
    std::wstring book(self, GetModuleFileNameW(nullptr, self, MAX_PATH));
    for (int i = 0; i < 3; ++i) book.erase(book.find_last_of(L'\\'));  // the build folder
    book += L"\\bin\\Lumora.chm";
    ASSERT_TRUE(testing_support::FileExists(book)) << Ansi(book);
    SetHtmlHelpCall(nullptr);
    ASSERT_TRUE(LoadHtmlHelp());
    ui::App().SetHelpFile(book);

    ASSERT_TRUE(ui::Help().ShowTableOfContents());
    const HWND window = FindWindowW(L"HH Parent", nullptr);
    ASSERT_NE(window, nullptr);
    HWND contents = nullptr;
    EnumChildWindows(
        window,
        [](HWND child, LPARAM found) -> BOOL {
            wchar_t name[32];
            GetClassNameW(child, name, 32);
            if (wcscmp(name, WC_TREEVIEWW) == 0) *reinterpret_cast<HWND*>(found) = child;
            return *reinterpret_cast<HWND*>(found) == nullptr;
        },
        LPARAM(&contents));
    EXPECT_EQ(SendMessageW(contents, TVM_GETCOUNT, 0, 0), 9);  // one entry per page
    UnloadHtmlHelp();
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(HtmlHelpTest, EngineThatCannotBeUsedWarnsOnceAndHelpThenDoesNothing) {
    ui::App().SetHelpFile(dir.Write(L"Lumora.chm", "x"));
    // A library that is missing, and one that loads but has no entry point.
    for (const wchar_t* library : {L"LumoraNoSuchEngine.ocx", L"shlwapi.dll"}) {
        boxes.Clear();
        EXPECT_FALSE(LoadHtmlHelp(library));
        MakeEveryRequest();
        ShowProgramHelp();
        UnloadHtmlHelp();
        EXPECT_TRUE(engine.calls.empty());
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        const ui::MessageBoxRequest& box = boxes.Boxes()[0];
        EXPECT_EQ(box.caption, L"Warning!");
        EXPECT_EQ(box.text,
                  L"Unable to view HTML help (*.chm). Update windows help system. "
                  L"Get new \"HHCTRL.OCX\" library.");
        EXPECT_EQ(box.type, UINT(MB_OK | MB_ICONWARNING));
        EXPECT_EQ(box.owner, nullptr);
        EXPECT_EQ(ui::Help().Viewers().size(), 1u);
    }
}

TEST(ProgramHelp, HelpFileIsTheProgramPathWithTheExtensionReplaced) {
    EXPECT_EQ(HelpFileForProgram(L"C:\\Tools\\Lumora.exe"), L"C:\\Tools\\Lumora.chm");
    EXPECT_EQ(HelpFileForProgram(L"C:\\Tools\\Lumora.v2.EXE"), L"C:\\Tools\\Lumora.v2.chm");
    EXPECT_EQ(HelpFileForProgram(L"C:\\Tools.1\\Lumora"), L"C:\\Tools.1\\Lumora.chm");
}

// Run in a child process by the test below: chooses Help › Help with the engine loaded and
// writes what the engine was asked to the file named by the environment.
TEST(ProgramHelpProbe, DISABLED_ChooseHelp) {
    const wchar_t* output = _wgetenv(kProbeVariable);
    if (output == nullptr) GTEST_SKIP();
    MessageBoxRecorder boxes;
    EngineRecorder engine;
    ASSERT_TRUE(LoadHtmlHelp());
    ShowProgramHelp();
    std::string lines;
    for (const std::string& call : engine.calls) lines += call + "\n";
    testing_support::WriteFileBytes(output, lines);
    UnloadHtmlHelp();
}

// Runs a copy of this test program under another name as the probe; returns what it wrote.
std::string RunProbeAs(const std::wstring& program, const std::wstring& output) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (!CopyFileW(self, program.c_str(), FALSE)) return "copy failed";
    std::wstring commandLine = L"\"" + program + L"\" --gtest_also_run_disabled_tests" +
                               L" --gtest_filter=ProgramHelpProbe.DISABLED_ChooseHelp";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE nul =
        CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = nul;
    PROCESS_INFORMATION process{};
    SetEnvironmentVariableW(kProbeVariable, output.c_str());
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
    return testing_support::FileExists(output) ? testing_support::ReadFileBytes(output) : "none";
}

TEST(ProgramHelp, HelpAsksForTheHelpFileThatBearsTheProgramsName) {
    TempDir dir;
    dir.Write(L"Tools\\Lumora.chm", "x");
    dir.Write(L"Tools\\Renamed Tool.chm", "x");
    EXPECT_EQ(RunProbeAs(dir / L"Tools\\Lumora.exe", dir / L"1.txt"),
              "1 " + Ansi(dir / L"Tools\\Lumora.chm") + " 0\n");
    EXPECT_EQ(RunProbeAs(dir / L"Tools\\Renamed Tool.exe", dir / L"2.txt"),
              "1 " + Ansi(dir / L"Tools\\Renamed Tool.chm") + " 0\n");
    EXPECT_EQ(RunProbeAs(dir / L"Tools\\NoHelp.exe", dir / L"3.txt"), "");
}

}  // namespace
