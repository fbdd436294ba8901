#include "findfile/SearchThread.h"

#include <process.h>

#include "base/Error.h"

namespace findfile {

int PlatformThreadPriority(TThreadPriority priority) noexcept {
    switch (priority) {
        case tpIdle:
            return THREAD_PRIORITY_IDLE;
        case tpLowest:
            return THREAD_PRIORITY_LOWEST;
        case tpLower:
            return THREAD_PRIORITY_BELOW_NORMAL;
        case tpNormal:
            return THREAD_PRIORITY_NORMAL;
        case tpHigher:
            return THREAD_PRIORITY_ABOVE_NORMAL;
        case tpHighest:
            return THREAD_PRIORITY_HIGHEST;
        case tpTimeCritical:
            return THREAD_PRIORITY_TIME_CRITICAL;
    }
    return THREAD_PRIORITY_NORMAL;
}

TSearchThread::TSearchThread(TFindFile& owner, HWND syncWindow)
    : owner_(owner), syncWindow_(syncWindow) {}

TSearchThread::~TSearchThread() { WaitFor(); }

void TSearchThread::Start(TThreadPriority priority) {
    unsigned id = 0;
    const auto handle = reinterpret_cast<HANDLE>(
        _beginthreadex(nullptr, 0, ThreadMain, this, CREATE_SUSPENDED, &id));
    if (handle == nullptr) base::ThrowLastError();
    thread_.Reset(handle);
    SetThreadPriority(handle, PlatformThreadPriority(priority));
    ResumeThread(handle);
}

void TSearchThread::WaitFor() noexcept {
    if (thread_) WaitForSingleObject(thread_.Get(), INFINITE);
}

unsigned __stdcall TSearchThread::ThreadMain(void* parameter) {
    auto* self = static_cast<TSearchThread*>(parameter);
    try {
        self->owner_.RunTargets();
    } catch (...) {
        // An error ends the worker's run; the search then ends as usual.
    }
    // The owner ends the search when it gets this notice; a full queue only delays it.
    while (!PostMessageW(self->syncWindow_, kMsgFinished, 0, 0) && IsWindow(self->syncWindow_))
        Sleep(10);
    return 0;
}

TFolderIgnore TSearchThread::FolderChange(const std::wstring& folder) {
    folder_ = &folder;
    Synchronize(Call::FolderChange);
    return ignore_;
}

void TSearchThread::FileMatch(const std::wstring& folder, const TSearchRec& entry) {
    folder_ = &folder;
    entry_ = &entry;
    Synchronize(Call::FileMatch);
}

void TSearchThread::Synchronize(Call call) {
    call_ = call;
    if (SendMessageW(syncWindow_, kMsgSynchronize, 0, reinterpret_cast<LPARAM>(this)) == 0) {
        // The owner's window is gone: nobody is left to report to.
        ignore_ = fiThisAndSubfolders;
        Terminate();
    }
}

void TSearchThread::RunPendingCall() noexcept {
    // The handler gets copies: should it destroy the component, the worker goes on without
    // waiting for it, and the worker's own values go with its walk.
    TFindFile::DestroyWatch watch(owner_);
    calling_ = true;
    TFolderIgnore ignore = fiNone;
    std::exception_ptr error;
    try {
        const std::wstring folder = *folder_;
        if (call_ == Call::FolderChange) {
            ignore = owner_.DoFolderChange(folder);
        } else {
            const TSearchRec entry = *entry_;
            owner_.DoFileMatch(folder, entry);
        }
    } catch (...) {
        error = std::current_exception();
    }
    if (watch.Destroyed()) return;  // and this worker with it
    calling_ = false;
    ignore_ = ignore;
    if (error) {
        // A failing handler ends the search; the owner shows the error once it has ended.
        if (!handlerError_) handlerError_ = error;
        ignore_ = fiThisAndSubfolders;
        Terminate();
    }
}

void TSearchThread::ReleaseCaller() noexcept {
    if (!calling_) return;
    calling_ = false;
    ignore_ = fiThisAndSubfolders;
    Terminate();
    ReplyMessage(0);
}

}  // namespace findfile
