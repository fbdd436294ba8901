#include "findfile/FindFile.h"

#include "findfile/SearchThread.h"
#include "ui/Application.h"
#include "base/Error.h"

namespace findfile {
namespace {

constexpr wchar_t kSyncWindowClass[] = L"LumoraFindFileSync";

}  // namespace

TFindFile::TFindFile() = default;

TFindFile::~TFindFile() {
    destroying_ = true;
    if (busy_) {
        Abort();
        // A direct search still on the stack (destroyed from its own handler) cannot end here.
        if (worker_) WaitForSearchEnd();
    }
    if (syncWindow_ != nullptr) DestroyWindow(syncWindow_);
}

void TFindFile::Execute() {
    if (busy_) return;
    job_ = std::make_unique<TTargetSearch>(criteria_);
    busy_ = true;
    aborted_ = false;
    try {
        DoSearchBegin();
        if (threaded_) {
            StartWorker();
            return;
        }
        RunTargets();
    } catch (...) {
        // End the search properly first; the error that stopped it is the one to pass on.
        try {
            EndSearch();
        } catch (...) {
        }
        throw;
    }
    EndSearch();
}

void TFindFile::Abort() {
    if (!busy_ || aborted_) return;
    aborted_ = true;
    if (worker_) worker_->Terminate();
    DoSearchAbort();
}

void TFindFile::DoSearchBegin() {
    if (OnSearchBegin) OnSearchBegin(*this);
}

void TFindFile::DoSearchFinish() {
    if (OnSearchFinish && !destroying_) OnSearchFinish(*this);
}

void TFindFile::DoSearchAbort() {
    if (OnSearchAbort && !destroying_) OnSearchAbort(*this);
}

TFolderIgnore TFindFile::DoFolderChange(const std::wstring& folder) {
    TFolderIgnore ignore = aborted_ ? fiThisAndSubfolders : fiNone;
    if (!aborted_ && OnFolderChange) OnFolderChange(*this, folder, ignore);
    return ignore;
}

void TFindFile::DoFileMatch(const std::wstring& folder, const TSearchRec& fileInfo) {
    if (OnFileMatch && !aborted_) OnFileMatch(*this, folder, fileInfo);
}

void TFindFile::EndSearch() {
    // The job goes and Busy clears even when the finish handler fails.
    struct Cleanup {
        TFindFile& self;
        ~Cleanup() {
            self.currentTarget_ = nullptr;
            self.currentLevel_ = 0;
            self.job_.reset();
            self.busy_ = false;
        }
    } cleanup{*this};
    DoSearchFinish();
}

void TFindFile::StartWorker() {
    worker_ = std::make_unique<TSearchThread>(*this, SyncWindow());
    if (aborted_) worker_->Terminate();  // aborted from OnSearchBegin
    try {
        worker_->Start(threadPriority_);
    } catch (...) {
        worker_.reset();
        throw;
    }
}

void TFindFile::WorkerFinished() {
    if (!worker_) return;
    worker_->WaitFor();
    const std::exception_ptr handlerError = worker_->HandlerError();
    worker_.reset();
    EndSearch();
    if (handlerError && !destroying_) std::rethrow_exception(handlerError);
}

void TFindFile::WaitForSearchEnd() {
    // Take, translate and dispatch one message at a time, so that the worker can deliver its
    // last calls and its notice of the end. A quit request is kept for the loop that owns it.
    bool quit = false;
    WPARAM exitCode = 0;
    while (busy_) {
        MSG msg;
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
            continue;
        }
        if (msg.message == WM_QUIT) {
            quit = true;
            exitCode = msg.wParam;
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (quit) PostQuitMessage(int(exitCode));
}

HWND TFindFile::SyncWindow() {
    if (syncWindow_ != nullptr) return syncWindow_;
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    static const ATOM registered = [instance] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = SyncWindowProc;
        wc.hInstance = instance;
        wc.lpszClassName = kSyncWindowClass;
        return RegisterClassExW(&wc);
    }();
    (void)registered;
    syncWindow_ = CreateWindowExW(0, kSyncWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  instance, nullptr);
    if (syncWindow_ == nullptr) base::ThrowLastError();
    SetWindowLongPtrW(syncWindow_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    return syncWindow_;
}

LRESULT CALLBACK TFindFile::SyncWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<TFindFile*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self != nullptr && msg == TSearchThread::kMsgSynchronize) {
        reinterpret_cast<TSearchThread*>(lParam)->RunPendingCall();
        return 1;
    }
    if (self != nullptr && msg == TSearchThread::kMsgFinished) {
        // No caller is left to receive an error here: show it like any other handler error.
        try {
            self->WorkerFinished();
        } catch (...) {
            ui::App().HandleCurrentException();
        }
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace findfile
