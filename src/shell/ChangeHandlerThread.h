// A worker thread that waits on folder change handles and posts a message to a window when one
// of them fires. What to re-read is the window's decision.
#pragma once

#include <memory>
#include <string>

#include <windows.h>

#include "base/Handle.h"

class TChangeHandlerThread {
  public:
    // Watches per thread: one wait covers at most 64 objects and the wake event takes one.
    static constexpr int kSlotCount = 63;
    // How long a request waits for the thread's answer.
    static constexpr DWORD kRequestTimeout = 2000;
    // How long destruction waits for the thread to end.
    static constexpr DWORD kExitTimeout = 30000;

    // Starts the thread. A watch that fires posts changeMessage to ownerWindow (when given) with
    // the watch's slot as word parameter and 0 as long parameter.
    TChangeHandlerThread(HWND ownerWindow, UINT changeMessage);
    // Stops the thread and closes every change handle, a pending one included.
    ~TChangeHandlerThread();
    TChangeHandlerThread(const TChangeHandlerThread&) = delete;
    TChangeHandlerThread& operator=(const TChangeHandlerThread&) = delete;

    // Watches a folder for the changes in filter (FILE_NOTIFY_CHANGE_...), and everything below
    // it when watchSubtree. True with the watch's slot in slotIndex; false with -1 when the folder
    // cannot be watched, every slot is taken or the thread does not answer in time.
    // Requests come from one thread, the owner's.
    bool AddWatch(const std::wstring& path, DWORD filter, int& slotIndex, bool watchSubtree);
    // Closes every watch; false when the thread does not answer in time.
    bool RemoveAllWatches();

  private:
    struct State;

    static DWORD WINAPI ThreadMain(void* parameter) noexcept;
    bool Submit(int action, base::ChangeNotificationHandle watch, int& newSlot);

    // Shared with the thread, so that a thread which outlives us still has what it uses.
    std::shared_ptr<State> state_;
    base::KernelHandle thread_;
};
