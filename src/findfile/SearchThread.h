// The worker of a threaded search: runs the walk and hands every event over to the owner's
// thread, waiting until its handler has returned.
#pragma once

#include <atomic>
#include <exception>
#include <string>

#include <windows.h>

#include "findfile/FindFile.h"
#include "base/Handle.h"

namespace findfile {

class TSearchThread {
  public:
    // Messages of the owner's hidden window.
    static constexpr UINT kMsgSynchronize = WM_USER + 1;  // lParam: the worker
    static constexpr UINT kMsgFinished = WM_USER + 2;

    // syncWindow belongs to the owner's thread; it receives the handed-over calls and the notice
    // that the worker has finished.
    TSearchThread(TFindFile& owner, HWND syncWindow);
    ~TSearchThread();
    TSearchThread(const TSearchThread&) = delete;
    TSearchThread& operator=(const TSearchThread&) = delete;

    void Start(TThreadPriority priority);
    void Terminate() noexcept { terminated_ = true; }
    bool Terminated() const noexcept { return terminated_; }
    // Waits until the thread has ended.
    void WaitFor() noexcept;
    HANDLE Handle() const noexcept { return thread_.Get(); }
    // The error a handler raised, which ended the search early; null when none did.
    std::exception_ptr HandlerError() const noexcept { return handlerError_; }

    // On the worker: raise the events on the owner's thread.
    TFolderIgnore FolderChange(const std::wstring& folder);
    void FileMatch(const std::wstring& folder, const TSearchRec& entry);

    // On the owner's thread (from its window): run the call the worker is waiting for.
    void RunPendingCall() noexcept;
    // On the owner's thread, when a handler of that call destroys the component: the worker goes
    // on to its end at once, no longer waiting for the handler.
    void ReleaseCaller() noexcept;

  private:
    enum class Call { FolderChange, FileMatch };
    static unsigned __stdcall ThreadMain(void* self);
    void Synchronize(Call call);

    TFindFile& owner_;
    HWND syncWindow_;
    base::KernelHandle thread_;
    std::atomic<bool> terminated_{false};
    // The exchange fields of the call being handed over.
    Call call_ = Call::FolderChange;
    const std::wstring* folder_ = nullptr;
    TFolderIgnore ignore_ = fiNone;
    const TSearchRec* entry_ = nullptr;
    std::exception_ptr handlerError_;
    bool calling_ = false;  // the owner's thread is in RunPendingCall
};

// The platform's priority for a thread priority.
int PlatformThreadPriority(TThreadPriority priority) noexcept;

}  // namespace findfile
