// How the real main window answers during a long replacement pass. A second thread sends the
// window a message every few milliseconds and keeps how long each answer took; the same pass runs
// without the probe in the same run, to show what probing costs, beside the engine alone with
// nothing to show, and once on the window's own thread, as a pass ran before it had a worker. A
// pass over a few files is timed both ways too. The files are chosen in the "Select files" list,
// which shows their folder and watches it meanwhile, as a user would choose them.
//   pass_probe [files [kilobytes [rounds [folder]]]]   3000 files of 26 KB, 5 rounds unless
//                                                      given, made in the temporary folder
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "BenchSupport.h"
#include "app/MainForm.h"
#include "app/ReplaceEngine.h"
#include "ui/Application.h"
#include "ui/Cursor.h"

using bench::Now;

namespace {

constexpr int kSmallRounds = 20;
constexpr int kSmallFiles = 3;
constexpr DWORD kProbeGapMs = 10;
constexpr double kAnswerGoal = 0.25;

// Text lines of ordinary length with the word lumora now and then.
std::string TextFile(size_t size, unsigned& seed) {
    static const char* const words[] = {"the",  "quick", "brown", "fox",     "jumps", "over",
                                        "lazy", "dog",   "and",   "replace", "text",  "file"};
    std::string text;
    while (text.size() < size) {
        for (int word = 0; word < 12; ++word) {
            seed = seed * 1103515245u + 12345u;
            text += words[(seed >> 16) % 12];
            text += word == 11 ? "\r\n" : " ";
        }
        if ((seed >> 8) % 16 == 0) text += "see lumora here\r\n";
    }
    return text;
}

std::vector<std::wstring> MakeFiles(const std::wstring& root, size_t count, size_t bytes) {
    std::vector<std::wstring> paths;
    unsigned seed = 1;
    for (size_t i = 0; i < count; ++i) {
        paths.push_back(root + L"\\page " + std::to_wstring(i) + L".txt");
        bench::WriteWhole(paths.back(), TextFile(bytes, seed));
    }
    return paths;
}

void RemoveFiles(const std::vector<std::wstring>& paths) {
    for (const std::wstring& path : paths) {
        DeleteFileW(path.c_str());
        DeleteFileW(BackupFileName(path).c_str());
    }
}

// Sends the window a message every few milliseconds until told to stop, and keeps how long each
// answer took.
class Probe {
  public:
    // Returns once the probe's thread has had a first answer, which costs it more than the rest.
    explicit Probe(HWND window) : window_(window), thread_([this] { Loop(); }) {
        AnswerUntil(ready_);
    }
    ~Probe() { Stop(); }

    struct Wait {
        double start, seconds;
    };
    // Every wait, the probe in flight included; the probe ends first.
    const std::vector<Wait>& Waits() {
        Stop();
        return waits_;
    }

  private:
    // The probe may be waiting for the window: answer it until it has ended.
    void Stop() {
        stop_ = true;
        AnswerUntil(ended_);
        if (thread_.joinable()) thread_.join();
    }

    void AnswerUntil(const std::atomic<bool>& flag) {
        while (!flag) {
            MSG msg;
            PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
            Sleep(1);
        }
    }

    void Loop() {
        DWORD_PTR result = 0;
        SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_NORMAL, 600000, &result);
        ready_ = true;
        while (!stop_) {
            const double start = Now();
            SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_NORMAL, 600000, &result);
            waits_.push_back({start, Now() - start});
            Sleep(kProbeGapMs);
        }
        ended_ = true;
    }

    HWND window_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> ready_{false};
    std::atomic<bool> ended_{false};
    std::vector<Wait> waits_;
    std::thread thread_;
};

struct Timing {
    double seconds = 0;
    // While probed: every wait for an answer, its start counted from the start of the pass.
    std::vector<Probe::Wait> waits;

    Probe::Wait Longest() const {
        Probe::Wait longest{0, 0};
        for (const Probe::Wait& wait : waits)
            if (wait.seconds > longest.seconds) longest = wait;
        return longest;
    }
};

// The pass with nothing to show: the engine's own time, the floor of the others.
class SilentWindow : public ReplaceWindow {
  public:
    explicit SilentWindow(const TMainForm& form)
        : find_(form.TextToFind()), replacement_(form.ReplacementText()) {}
    std::wstring TextToFind() const override { return find_; }
    std::wstring ReplacementText() const override { return replacement_; }
    bool CaseSensitive() const override { return false; }
    bool WholeWordsOnly() const override { return true; }
    bool MakeBackup() const override { return true; }
    bool AskYesNo(const std::wstring&, const std::wstring&) override { return true; }
    void AddLogLine(const std::wstring&) override {}

  private:
    std::wstring find_, replacement_;
};

// The main window, timing how long each change of its log takes: the part of a late answer that
// is the window's own work rather than waiting for a processor.
class TimedForm : public TMainForm {
  public:
    void AddLogLines(const std::vector<std::wstring>& lines) override {
        const double start = Now();
        TMainForm::AddLogLines(lines);
        const double seconds = Now() - start;
        longestLogChange = std::max(longestLogChange, seconds);
        logChangeSeconds += seconds;
        ++logChanges;
    }
    double longestLogChange = 0;
    double logChangeSeconds = 0;
    size_t logChanges = 0;
};

enum class Mode { Worker, WindowThread, EngineAlone };

struct Bench {
    TimedForm& form;
    const std::vector<std::wstring>& paths;
    bool forward = true;

    // One run from the Start button, or the pass called on this thread with the window or with
    // nothing to show; the words swap back and forth so that every pass finds the same matches.
    Timing Pass(Mode mode, bool probed) {
        form.edtFind->SetText(forward ? L"lumora" : L"nebula");
        form.edtReplace->SetText(forward ? L"nebula" : L"lumora");
        forward = !forward;
        form.memLog->Clear();
        Timing timing;
        {
            std::optional<Probe> probe;
            if (probed) probe.emplace(form.Handle());
            const double start = Now();
            if (mode == Mode::Worker) {
                form.btnStart->Send(BM_CLICK);
            } else if (mode == Mode::WindowThread) {
                // What Start did before the pass had a worker.
                form.GetFilenames();
                ui::CursorGuard hourglass;
                FindReplaceText(form, form.FileList);
            } else {
                SilentWindow silent(form);
                FindReplaceText(silent, paths);
            }
            timing.seconds = Now() - start;
            if (probe) {
                for (Probe::Wait wait : probe->Waits()) {
                    wait.start -= start;
                    timing.waits.push_back(wait);
                }
            }
        }
        for (const std::wstring& path : paths) DeleteFileW(BackupFileName(path).c_str());
        return timing;
    }
};

// How the waits of all probed passes spread, and where the longest fell.
void ReportWaits(const std::vector<Probe::Wait>& waits) {
    std::vector<double> seconds;
    for (const Probe::Wait& wait : waits) seconds.push_back(wait.seconds);
    std::sort(seconds.begin(), seconds.end());
    if (seconds.empty()) return;
    const auto at = [&](double share) {
        return seconds[size_t(share * double(seconds.size() - 1))];
    };
    const size_t over = size_t(
        std::count_if(seconds.begin(), seconds.end(), [](double s) { return s > kAnswerGoal; }));
    std::printf(
        "  answers while probed (%zu): median %.1f ms, 99%% within %.1f ms, longest %.1f "
        "ms; %zu over %.0f ms\n",
        seconds.size(), at(0.5) * 1000, at(0.99) * 1000, seconds.back() * 1000, over,
        kAnswerGoal * 1000);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void MeasureLongPass(TimedForm& form, const std::vector<std::wstring>& paths, int rounds) {
    Bench bench{form, paths};
    std::vector<double> alone, plain, probed, ratios;
    std::vector<Probe::Wait> waits;
    // Side by side, taking turns at going first, so that whatever else the machine does weighs on
    // all alike.
    for (int round = 0; round < rounds; ++round) {
        alone.push_back(bench.Pass(Mode::EngineAlone, false).seconds);
        Timing worker, timing;
        if (round % 2 == 0) worker = bench.Pass(Mode::Worker, false);
        timing = bench.Pass(Mode::Worker, true);
        if (round % 2 != 0) worker = bench.Pass(Mode::Worker, false);
        std::printf(
            "  round %d: engine alone %.2f s, worker %.2f s, probed %.2f s (longest answer "
            "%.1f ms, asked %.2f s after Start)\n",
            round + 1, alone.back(), worker.seconds, timing.seconds,
            timing.Longest().seconds * 1000, timing.Longest().start);
        std::fflush(stdout);
        plain.push_back(worker.seconds);
        probed.push_back(timing.seconds);
        ratios.push_back(timing.seconds / worker.seconds);
        waits.insert(waits.end(), timing.waits.begin(), timing.waits.end());
    }
    const auto best = [](const std::vector<double>& v) {
        return *std::min_element(v.begin(), v.end());
    };
    std::printf("  %d rounds, best and median:\n", rounds);
    std::printf("    the engine alone, nothing shown  %7.2f s %7.2f s\n", best(alone),
                Median(alone));
    std::printf("    the pass on the worker           %7.2f s %7.2f s   %.3fx %.3fx the engine\n",
                best(plain), Median(plain), best(plain) / best(alone),
                Median(plain) / Median(alone));
    std::printf("    the same, probed                 %7.2f s %7.2f s   %.3fx %.3fx unprobed\n",
                best(probed), Median(probed), best(probed) / best(plain),
                Median(probed) / Median(plain));
    // The two of a round run back to back, so their ratio is the least touched by the load.
    std::printf("    probed against unprobed, round by round: median %.3fx\n", Median(ratios));
    ReportWaits(waits);
    const double passes = 2.0 * rounds;
    std::printf(
        "  the log changed %.0f times a pass, for %.2f s in all; the longest change %.1f ms\n",
        double(form.logChanges) / passes, form.logChangeSeconds / passes,
        form.longestLogChange * 1000);
    std::printf("  log lines after a pass: %zu\n", form.memLog->Lines().size());
    std::fflush(stdout);
    const Timing direct = bench.Pass(Mode::WindowThread, true);
    std::printf("  the pass on the window's thread, as before: %.2f s, longest answer %.1f ms\n",
                direct.seconds, direct.Longest().seconds * 1000);
}

void MeasureSmallPass(TimedForm& form, const std::vector<std::wstring>& paths) {
    Bench bench{form, paths};
    double worker = 1e30, direct = 1e30;
    for (int round = 0; round < kSmallRounds; ++round) {
        worker = std::min(worker, bench.Pass(Mode::Worker, false).seconds);
        direct = std::min(direct, bench.Pass(Mode::WindowThread, false).seconds);
    }
    std::printf(
        "%zu file(s): Start to the summary %.1f ms on the worker, %.1f ms on the window's "
        "thread\n",
        paths.size(), worker * 1000, direct * 1000);
}

}  // namespace

int main(int argc, char** argv) {
    const size_t count = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 3000;
    const size_t kilobytes = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 26;
    const int rounds = argc > 3 ? std::atoi(argv[3]) : 5;
    if (count < 3 || kilobytes == 0 || rounds < 1) {
        std::fprintf(stderr, "usage: pass_probe [files [kilobytes [rounds [folder]]]]\n");
        return 2;
    }
    const std::wstring root = bench::MakeRunFolder(L"lumora-probe", argc > 4 ? argv[4] : nullptr);
    OleInitialize(nullptr);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_DATE_CLASSES |
                                                       ICC_USEREX_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    {
        const std::vector<std::wstring> paths = MakeFiles(root, count, kilobytes * 1024);
        TimedForm form;
        form.Show();
        ui::App().ProcessMessages();
        form.PTShellList1->Folder().SetPath(root);
        form.PTShellList1->SelectAllItems();
        std::printf("%zu file(s) of %zu KB in one folder, %zu selected in the list\n", count,
                    kilobytes, form.PTShellList1->SelectedItems().size());
        std::fflush(stdout);
        MeasureLongPass(form, paths, rounds);
        form.PTShellList1->ClearSelection();
        for (int item = 0; item < kSmallFiles; ++item) form.PTShellList1->SetSelected(item, true);
        form.GetFilenames();
        const std::vector<std::wstring> few = form.FileList;
        MeasureSmallPass(form, few);
        std::fflush(stdout);
        RemoveFiles(paths);
    }
    RemoveDirectoryW(root.c_str());
    OleUninitialize();
    return 0;
}
