// A pass killed at any moment loses no file: every file holds its old content or its new one (or,
// written in place, has its old content beside it), every backup holds what it should, and no
// name goes missing. The pass runs in a child process (this program again, running the disabled
// test below) that stops before a chosen file-system call, or halfway through a write, and is
// killed there.
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "ReplaceTestSupport.h"
#include "ScriptedFiles.h"
#include "app/TempFile.h"
#include "common/TempDir.h"

namespace {

using testing_support::FileExists;
using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WriteFileBytes;
using Step = ScriptedFiles::Step;

constexpr int kFiles = 300;
constexpr int kTwinEvery = 25;  // these files have a second name
constexpr int kOlderEvery = 7;  // these have a backup from an earlier run
constexpr DWORD kChildLimit = 120000;

std::wstring Name(int i) { return L"f" + std::to_wstring(i) + L".txt"; }
std::string Old(int i) { return "file " + std::to_string(i) + " lumora\r\nand lumora again\r\n"; }
std::string New(int i) { return "file " + std::to_string(i) + " nebula\r\nand nebula again\r\n"; }
std::string Older(int i) { return "older " + std::to_string(i); }

// A fresh corpus; returns the file set a pass gets.
TFileList MakeCorpus(const TempDir& dir) {
    TFileList files;
    for (int i = 0; i < kFiles; ++i) {
        files.push_back(dir.Write(Name(i), Old(i)));
        if (i % kTwinEvery == 0)
            CreateHardLinkW((dir / (L"twin " + Name(i))).c_str(), files.back().c_str(), nullptr);
        if (i % kOlderEvery == 0) dir.Write(L"f" + std::to_wstring(i) + L".bak", Older(i));
    }
    return files;
}

std::wstring Environment(const wchar_t* name) {
    wchar_t value[512] = {};
    const DWORD length = GetEnvironmentVariableW(name, value, 512);
    return length > 0 && length < 512 ? value : L"";
}

// The pass with a stop: before the stop-th call (counted from 1), or, with inPlace, halfway
// through the first write in place. Returns the calls counted.
int RunPassStoppingAt(const TFileList& files, bool backup, int stop, bool inPlace,
                      const std::function<void()>& stopped) {
    ScriptedFiles scripted;
    int calls = 0;
    const auto isWrite = [](Step step) {
        return step == Step::WriteNew || step == Step::WriteOld || step == Step::WriteInPlace;
    };
    scripted.before = [&](Step step, const std::wstring&) -> DWORD {
        const bool here = inPlace ? step == Step::WriteInPlace : ++calls == stop;
        if (!here) return 0;
        if (isWrite(step)) return ScriptedFiles::kHalfway;
        stopped();
        return 0;
    };
    scripted.halfway = stopped;
    FakeWindow window(L"lumora", L"nebula", backup);
    window.answerYes = true;
    EXPECT_EQ(RunPass(window, files, &scripted), L"");
    return calls;
}

struct Child {
    base::KernelHandle process;
    bool stopped = false;  // rather than finished
};

// Starts this program as the child that runs the pass, and waits until it has stopped or ended.
Child RunChild(const std::wstring& folder, bool backup, int stop, bool inPlace) {
    static int children = 0;
    const std::wstring eventName = L"LumoraKillTest-" + std::to_wstring(GetCurrentProcessId()) +
                                   L"-" + std::to_wstring(++children);
    base::KernelHandle event(CreateEventW(nullptr, TRUE, FALSE, eventName.c_str()));
    SetEnvironmentVariableW(L"LUMORA_KILL_FOLDER", folder.c_str());
    SetEnvironmentVariableW(L"LUMORA_KILL_EVENT", eventName.c_str());
    SetEnvironmentVariableW(
        L"LUMORA_KILL_STOP",
        ((backup ? L"b" : L"-") + std::wstring(inPlace ? L"i" : L"-") + std::to_wstring(stop))
            .c_str());
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(self) +
                           L"\" --gtest_also_run_disabled_tests "
                           L"--gtest_filter=ReplaceKill.DISABLED_ChildRunsThePass";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    base::FileHandle quiet(
        CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = quiet.Get();
    PROCESS_INFORMATION info{};
    Child child;
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &info))
        return child;
    CloseHandle(info.hThread);
    child.process.Reset(info.hProcess);
    const HANDLE waits[] = {event.Get(), info.hProcess};
    child.stopped = WaitForMultipleObjects(2, waits, FALSE, kChildLimit) == WAIT_OBJECT_0;
    return child;
}

// The old content of file i waiting beside it, when it was written in place; empty when none.
std::wstring OldCopyOf(const TempDir& dir, int i) {
    for (const std::wstring& name : NamesIn(dir.Path())) {
        const std::wstring tail = L"-" + Name(i) + L".tmp";
        if (name.rfind(L"~lumora-old-", 0) == 0 && name.size() > tail.size() &&
            name.compare(name.size() - tail.size(), tail.size(), tail) == 0)
            return dir / name;
    }
    return {};
}

// Checks every file after a kill; returns how many hold their new content.
int CheckCorpus(const TempDir& dir, bool backup) {
    int rewritten = 0;
    std::set<std::wstring> expected;
    for (int i = 0; i < kFiles; ++i) {
        SCOPED_TRACE(i);
        const std::wstring path = dir / Name(i);
        const std::wstring bak = dir / (L"f" + std::to_wstring(i) + L".bak");
        expected.insert(Name(i));
        if (!FileExists(path)) {
            ADD_FAILURE() << "missing";
            continue;
        }
        const std::string content = ReadFileBytes(path);
        if (i % kTwinEvery == 0) {
            expected.insert(L"twin " + Name(i));
            EXPECT_EQ(ReadFileBytes(dir / (L"twin " + Name(i))), content);
        }
        const bool hasBak = FileExists(bak);
        if (hasBak) expected.insert(bak.substr(dir.Path().size() + 1));
        if (content == New(i)) {
            ++rewritten;
            EXPECT_TRUE(!backup || (hasBak && ReadFileBytes(bak) == Old(i)));
        } else if (content != Old(i)) {
            // Cut short while written in place: the old content is beside it.
            EXPECT_EQ(i % kTwinEvery, 0);
            const std::wstring copy = backup ? bak : OldCopyOf(dir, i);
            EXPECT_TRUE(!copy.empty() && ReadFileBytes(copy) == Old(i));
        } else if (hasBak) {
            const std::string saved = ReadFileBytes(bak);
            EXPECT_TRUE(saved == Older(i) || (backup && saved == Old(i))) << saved;
        }
        EXPECT_TRUE(backup || i % kOlderEvery != 0 || ReadFileBytes(bak) == Older(i));
    }
    // Nothing else but what a killed pass leaves, under names that say so.
    for (const std::wstring& name : NamesIn(dir.Path()))
        EXPECT_TRUE(expected.contains(name) || IsTempFileName(name)) << name;
    return rewritten;
}

}  // namespace

// Run only as the child of the test below.
TEST(ReplaceKill, DISABLED_ChildRunsThePass) {
    const std::wstring folder = Environment(L"LUMORA_KILL_FOLDER");
    const std::wstring stop = Environment(L"LUMORA_KILL_STOP");
    ASSERT_GE(stop.size(), 3u);
    base::KernelHandle event(
        OpenEventW(EVENT_MODIFY_STATE, FALSE, Environment(L"LUMORA_KILL_EVENT").c_str()));
    TFileList files;
    for (int i = 0; i < kFiles; ++i) files.push_back(folder + L"\\" + Name(i));
    RunPassStoppingAt(files, stop[0] == L'b', std::stoi(stop.substr(2)), stop[1] == L'i', [&] {
        SetEvent(event.Get());
        Sleep(INFINITE);
    });
}

TEST(ReplaceKill, NoMomentLosesAFile) {
    for (const bool backup : {false, true}) {
        SCOPED_TRACE(backup);
        int total = 0;
        {
            TempDir dry;
            total = RunPassStoppingAt(MakeCorpus(dry), backup, 0, false, [] {});
        }
        ASSERT_GT(total, kFiles * 4);
        // Moments spread over the pass, each at another kind of call; then halfway through a
        // write in place; then no kill at all.
        struct Kill {
            int stop;
            bool inPlace;
        };
        std::vector<Kill> kills;
        for (int k = 1; k <= 3; ++k) kills.push_back({total * k / 4 + k, false});
        kills.push_back({0, true});
        kills.push_back({total + 1, false});
        for (const Kill& kill : kills) {
            SCOPED_TRACE(kill.inPlace ? -1 : kill.stop);
            TempDir dir;
            MakeCorpus(dir);
            Child child = RunChild(dir.Path(), backup, kill.stop, kill.inPlace);
            ASSERT_TRUE(child.process);
            const bool last = kill.stop > total;
            EXPECT_EQ(child.stopped, !last);
            TerminateProcess(child.process.Get(), 1);
            WaitForSingleObject(child.process.Get(), kChildLimit);
            const int rewritten = CheckCorpus(dir, backup);
            if (last) {
                EXPECT_EQ(rewritten, kFiles);
                for (const std::wstring& name : NamesIn(dir.Path())) {
                    EXPECT_FALSE(IsTempFileName(name)) << name;
                }
            } else {
                EXPECT_LT(rewritten, kFiles);
            }
        }
    }
}
