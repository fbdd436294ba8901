#include "app/ReplaceWorker.h"

#include <process.h>

#include <algorithm>
#include <utility>

#include "app/ReplaceEngine.h"
#include "base/Error.h"
#include "base/MessageWindow.h"
#include "ui/Application.h"

namespace {

constexpr wchar_t kSyncWindowClass[] = L"LumoraReplaceSync";
// The worker hands its question to the owner's thread through this message of a hidden window;
// lParam: the question, answered before the message returns.
constexpr UINT kMsgQuestion = WM_APP + 1;
// Lines reach the window at most four times a second, unless many are waiting: a change of the log
// costs about the same whatever is added, and the pass waits for it. The window keeps twice as
// long as the last delivery took for everything else. While another message loop runs on the
// owner's thread (a menu, a box), a timer of the hidden window takes them there; a timer never
// holds up input.
constexpr ULONGLONG kDeliveryIntervalMs = 250;
constexpr ULONGLONG kLongestRestMs = 1000;
constexpr UINT_PTR kDeliveryTimer = 1;
constexpr UINT kDeliveryTimerMs = 100;

}  // namespace

struct ReplaceWorker::Question {
    const std::wstring& caption;
    const std::wstring& text;
    bool yes = false;
    std::exception_ptr error;
};

ReplaceWorker::ReplaceWorker(ReplaceWindow& window, TFileList files)
    : window_(window),
      files_(std::move(files)),
      find_(window.TextToFind()),
      replacement_(window.ReplacementText()),
      caseSensitive_(window.CaseSensitive()),
      wholeWords_(window.WholeWordsOnly()),
      backup_(window.MakeBackup()),
      linesWaiting_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {
    if (!linesWaiting_) base::ThrowLastError();
}

ReplaceWorker::~ReplaceWorker() {
    Stop();
    WaitForThread();
    if (syncWindow_ != nullptr) DestroyWindow(syncWindow_);
}

void ReplaceWorker::Run() {
    syncWindow_ = base::CreateMessageWindow(kSyncWindowClass, SyncWindowProc, this);
    SetTimer(syncWindow_, kDeliveryTimer, kDeliveryTimerMs, nullptr);
    lastDelivery_ = GetTickCount64();
    unsigned id = 0;
    const auto handle =
        reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, ThreadMain, this, 0, &id));
    if (handle == nullptr) base::ThrowLastError();
    thread_.Reset(handle);
    WaitForWorker();
    while (Deliver()) {
    }
    if (error_) std::rethrow_exception(error_);
}

void ReplaceWorker::Stop() noexcept {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    drained_.notify_all();
}

void ReplaceWorker::StopAndWait() noexcept {
    Stop();
    // The worker waiting for an answer from further down this thread's stack cannot end here;
    // it rewrites nothing before the answer anyway.
    if (!asking_) WaitForThread();
}

unsigned __stdcall ReplaceWorker::ThreadMain(void* parameter) {
    auto* self = static_cast<ReplaceWorker*>(parameter);
    try {
        FindReplaceText(*self, self->files_);
    } catch (...) {
        self->error_ = std::current_exception();
    }
    return 0;
}

// Handles this thread's messages until the worker has ended, handing lines to the window when
// they are due. A quit request stops the pass: it is kept for the loop that owns it, so nothing
// but the worker's own calls is handled after it.
void ReplaceWorker::WaitForWorker() {
    const HANDLE handles[] = {thread_.Get(), linesWaiting_.Get()};
    for (;;) {
        const DWORD wait = DeliverIfDue();
        const DWORD woken =
            MsgWaitForMultipleObjectsEx(2, handles, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woken == WAIT_OBJECT_0) return;
        if (woken == WAIT_OBJECT_0 + 1 || woken == WAIT_TIMEOUT) continue;
        if (woken != WAIT_OBJECT_0 + 2 || ui::App().Terminated()) {
            StopAndWait();
            return;
        }
        ui::App().ProcessMessages();
    }
}

void ReplaceWorker::WaitForThread() noexcept {
    if (!thread_) return;
    // The worker may be handing its question over meanwhile: answer sent messages.
    const HANDLE thread = thread_.Get();
    DWORD woken;
    while ((woken = MsgWaitForMultipleObjectsEx(1, &thread, INFINITE, QS_SENDMESSAGE, 0)) ==
           WAIT_OBJECT_0 + 1) {
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    if (woken != WAIT_OBJECT_0) WaitForSingleObject(thread, INFINITE);
}

DWORD ReplaceWorker::DeliverIfDue() {
    const ULONGLONG now = GetTickCount64();
    {
        std::lock_guard lock(mutex_);
        if (waiting_.empty()) return INFINITE;
        const ULONGLONG since = now - lastDelivery_;
        const ULONGLONG rest = std::min(2 * lastDeliveryCost_, kLongestRestMs);
        const ULONGLONG gap =
            waiting_.size() >= kMaxWaitingLines / 2 ? rest : std::max(rest, kDeliveryIntervalMs);
        if (since < gap) return DWORD(gap - since);
    }
    Deliver();
    return INFINITE;
}

bool ReplaceWorker::Deliver() {
    // One delivery at a time, so that lines keep their order whatever the window does with them.
    if (delivering_) return false;
    delivering_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{delivering_};
    std::vector<std::wstring> lines;
    std::size_t done = 0;
    {
        std::lock_guard lock(mutex_);
        lines.swap(waiting_);
        done = done_;
        held_ = !lines.empty();
    }
    struct Release {
        ReplaceWorker& self;
        ~Release() {
            {
                std::lock_guard lock(self.mutex_);
                self.held_ = false;
            }
            self.drained_.notify_all();
        }
    } release{*this};
    if (lines.empty()) return false;
    const ULONGLONG start = GetTickCount64();
    window_.AddLogLines(lines);
    if (OnProgress) OnProgress(done, files_.size());
    lastDelivery_ = GetTickCount64();
    lastDeliveryCost_ = lastDelivery_ - start;
    return true;
}

void ReplaceWorker::Answer(Question& question) noexcept {
    {
        std::lock_guard lock(mutex_);
        if (stop_) return;
    }
    asking_ = true;
    try {
        question.yes = window_.AskYesNo(question.caption, question.text);
    } catch (...) {
        question.error = std::current_exception();
    }
    asking_ = false;
}

bool ReplaceWorker::AskYesNo(const std::wstring& caption, const std::wstring& text) {
    Question question{caption, text, false, nullptr};
    if (SendMessageW(syncWindow_, kMsgQuestion, 0, reinterpret_cast<LPARAM>(&question)) == 0)
        return false;
    if (question.error) std::rethrow_exception(question.error);
    return question.yes;
}

void ReplaceWorker::AddLogLine(const std::wstring& line) {
    std::unique_lock lock(mutex_);
    drained_.wait(lock, [this] { return waiting_.size() < kMaxWaitingLines || stop_; });
    waiting_.push_back(line);
    // The owner's thread hears of the first line after a delivery, and again when many wait.
    if (waiting_.size() == 1 || waiting_.size() == kMaxWaitingLines / 2)
        SetEvent(linesWaiting_.Get());
}

bool ReplaceWorker::ContinuePass(std::size_t filesDone) {
    std::unique_lock lock(mutex_);
    done_ = filesDone;
    // The window shows lines several times faster while no file is rewritten (under Wine the
    // window's calls and the files' calls queue at one server), so the next file waits for it.
    drained_.wait(lock, [this] { return !held_ || stop_; });
    return !stop_;
}

LRESULT CALLBACK ReplaceWorker::SyncWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = base::MessageWindowOwner<ReplaceWorker>(hwnd);
    if (self != nullptr && msg == WM_TIMER && wParam == kDeliveryTimer) {
        try {
            self->DeliverIfDue();
        } catch (...) {
            ui::App().HandleCurrentException();
        }
        return 0;
    }
    if (self != nullptr && msg == kMsgQuestion) {
        self->Answer(*reinterpret_cast<Question*>(lParam));
        return 1;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}
