// The replacement pass on a worker thread, so that the window keeps answering while it runs. The
// texts and options are taken from the window once, before the pass; the pass's question and its
// log lines are handed to the owner's thread; the pass can be stopped between two files, and waits
// there while the window shows lines.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include <windows.h>

#include "app/FileList.h"
#include "app/ReplaceWindow.h"
#include "base/Handle.h"

class ReplaceWorker : private ReplaceWindow {
  public:
    // How many finished files' lines may wait for the owner's thread before the worker waits
    // too, so that the log never falls far behind the files.
    static constexpr std::size_t kMaxWaitingLines = 256;

    // On the owner's thread. The texts and options of window are read here, once; its question
    // and its lines are handed to it on this thread.
    ReplaceWorker(ReplaceWindow& window, TFileList files);
    // Stops a running pass and waits for the worker.
    ~ReplaceWorker() override;
    ReplaceWorker(const ReplaceWorker&) = delete;
    ReplaceWorker& operator=(const ReplaceWorker&) = delete;

    // Runs the pass and handles this thread's messages until it has ended and its last lines
    // are logged. An error that ended the pass is raised here, after the summary is logged.
    void Run();
    // Asks the pass to stop before its next file; the file being rewritten is finished first.
    void Stop() noexcept;
    // Stops the pass and waits until the file being rewritten is finished; returns at once when
    // called while the pass waits for the answer to its question.
    void StopAndWait() noexcept;

    // On the owner's thread, after lines have reached the window: files done so far, and in all.
    std::function<void(std::size_t done, std::size_t total)> OnProgress;

  private:
    struct Question;
    static unsigned __stdcall ThreadMain(void* self);
    static LRESULT CALLBACK SyncWindowProc(HWND, UINT, WPARAM, LPARAM);
    void WaitForWorker();
    void WaitForThread() noexcept;

    // On the owner's thread. Hands the waiting lines to the window; false when there were none.
    bool Deliver();
    // Delivers when lines have waited long enough, or many wait; returns how long until the
    // waiting lines are due, or INFINITE.
    DWORD DeliverIfDue();
    void Answer(Question& question) noexcept;

    // What the pass sees of the window, on the worker.
    std::wstring TextToFind() const override { return find_; }
    std::wstring ReplacementText() const override { return replacement_; }
    bool CaseSensitive() const override { return caseSensitive_; }
    bool WholeWordsOnly() const override { return wholeWords_; }
    bool MakeBackup() const override { return backup_; }
    bool AskYesNo(const std::wstring& caption, const std::wstring& text) override;
    void AddLogLine(const std::wstring& line) override;
    bool ContinuePass(std::size_t filesDone) override;

    ReplaceWindow& window_;
    const TFileList files_;
    const std::wstring find_, replacement_;
    const bool caseSensitive_, wholeWords_, backup_;
    base::KernelHandle linesWaiting_;
    HWND syncWindow_ = nullptr;
    base::KernelHandle thread_;
    std::exception_ptr error_;
    // Owner's thread only.
    bool asking_ = false;
    bool delivering_ = false;
    ULONGLONG lastDelivery_ = 0;
    ULONGLONG lastDeliveryCost_ = 0;

    // Shared with the worker.
    std::mutex mutex_;
    std::condition_variable drained_;
    std::vector<std::wstring> waiting_;
    std::size_t done_ = 0;
    bool stop_ = false;
    bool held_ = false;  // the window is showing lines
};
