#include "findfile/FindFile.h"

#include "base/MessageWindow.h"
#include "findfile/SearchThread.h"
#include "ui/Application.h"

namespace findfile {
namespace {

constexpr wchar_t kSyncWindowClass[] = L"LumoraFindFileSync";

}  // namespace

TFindFile::TFindFile() = default;

TFindFile::~TFindFile() {
    destroying_ = true;
    for (DestroyWatch* watch = watches_; watch != nullptr; watch = watch->outer_)
        watch->destroyed_ = true;
    if (busy_) {
        Abort();
        // A direct search still on the stack (destroyed from its own handler) unwinds by itself
        // once the handler returns. A worker may be waiting for the very handler that destroys
        // us: it is let go on to its end first.
        if (worker_) {
            worker_->ReleaseCaller();
            WaitForSearchEnd();
        }
    }
    if (syncWindow_ != nullptr) DestroyWindow(syncWindow_);
}

void TFindFile::Execute() {
    if (busy_) return;
    job_ = std::make_unique<TTargetSearch>(criteria_);
    busy_ = true;
    aborted_ = false;
    DestroyWatch watch(*this);
    try {
        DoSearchBegin();
        if (watch.Destroyed()) return;
        if (threaded_) {
            StartWorker();
            return;
        }
        RunTargets();
    } catch (const Destroyed&) {
        return;
    } catch (...) {
        if (watch.Destroyed()) throw;
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

// Each handler is called through a copy: it may destroy the component, and the event with it.

void TFindFile::DoSearchBegin() {
    if (const TSearchNotifyEvent handler = OnSearchBegin) handler(*this);
}

void TFindFile::DoSearchFinish() {
    if (destroying_) return;
    if (const TSearchNotifyEvent handler = OnSearchFinish) handler(*this);
}

void TFindFile::DoSearchAbort() {
    if (destroying_) return;
    if (const TSearchNotifyEvent handler = OnSearchAbort) handler(*this);
}

TFolderIgnore TFindFile::DoFolderChange(const std::wstring& folder) {
    TFolderIgnore ignore = aborted_ ? fiThisAndSubfolders : fiNone;
    if (aborted_) return ignore;
    if (const TFolderChangeEvent handler = OnFolderChange) handler(*this, folder, ignore);
    return ignore;
}

void TFindFile::DoFileMatch(const std::wstring& folder, const TSearchRec& fileInfo) {
    if (aborted_) return;
    if (const TFileMatchEvent handler = OnFileMatch) handler(*this, folder, fileInfo);
}

bool TFindFile::EndSearch() {
    // The job goes and Busy clears even when the finish handler fails, unless it destroyed us.
    DestroyWatch watch(*this);
    try {
        DoSearchFinish();
    } catch (...) {
        if (!watch.Destroyed()) ClearSearch();
        throw;
    }
    if (watch.Destroyed()) return false;
    ClearSearch();
    return true;
}

void TFindFile::ClearSearch() noexcept {
    currentTarget_ = nullptr;
    currentLevel_ = 0;
    job_.reset();
    busy_ = false;
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
    if (EndSearch() && handlerError && !destroying_) std::rethrow_exception(handlerError);
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
    if (syncWindow_ == nullptr)
        syncWindow_ = base::CreateMessageWindow(kSyncWindowClass, SyncWindowProc, this);
    return syncWindow_;
}

LRESULT CALLBACK TFindFile::SyncWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = base::MessageWindowOwner<TFindFile>(hwnd);
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
