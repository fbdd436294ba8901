#include "shell/ChangeHandlerThread.h"

#include <array>
#include <atomic>
#include <mutex>
#include <utility>

#include "base/Error.h"

namespace {

// What the owner asks of the thread.
enum Action : int { kNoAction = -1, kPlaceWatch = 0, kCloseAll = 2, kExit = 3 };

base::KernelHandle NewAutoResetEvent() {
    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (event == nullptr) base::ThrowLastError();
    return base::KernelHandle(event);
}

}  // namespace

// Whatever is left in it when the last of the owner and the thread lets go is closed then.
struct TChangeHandlerThread::State {
    State(HWND ownerWindow, UINT changeMessage) : owner(ownerWindow), message(changeMessage) {}

    const HWND owner;
    const UINT message;
    base::KernelHandle wake;  // a request waits
    base::KernelHandle done;  // the request was carried out
    // Only the thread touches the table while it runs.
    std::array<base::ChangeNotificationHandle, kSlotCount> slots;
    // Set when destruction begins: nothing more is posted to a window that may be going.
    std::atomic<bool> exiting{false};

    // The request. The events only wake the other side; whether a request was carried out is
    // decided here, under the lock, so a late answer is never taken for the next request's.
    std::mutex lock;
    int action = kNoAction;
    base::ChangeNotificationHandle pending;  // opened, waiting for a slot
    int newSlot = -1;

    void Run();
    bool CarryOutRequest();
    void PlacePending();
    void Fired(int slot);
    bool DropBrokenWatches();
};

void TChangeHandlerThread::State::Run() {
    std::array<HANDLE, kSlotCount + 1> handles;
    std::array<int, kSlotCount + 1> slotAt;
    for (;;) {
        // Rebuilt every turn, so slot changes take effect at the next wait.
        DWORD count = 0;
        handles[count++] = wake.Get();
        for (int slot = 0; slot < kSlotCount; ++slot) {
            if (!slots[slot]) continue;
            slotAt[count] = slot;
            handles[count++] = slots[slot].Get();
        }
        const DWORD result = WaitForMultipleObjects(count, handles.data(), FALSE, INFINITE);
        if (result == WAIT_OBJECT_0) {
            if (!CarryOutRequest()) return;
        } else if (result > WAIT_OBJECT_0 && result < WAIT_OBJECT_0 + count) {
            Fired(slotAt[result - WAIT_OBJECT_0]);
        } else if (!DropBrokenWatches()) {
            return;
        }
    }
}

// False when the thread is to end.
bool TChangeHandlerThread::State::CarryOutRequest() {
    std::lock_guard guard(lock);
    switch (action) {
        case kPlaceWatch:
            PlacePending();
            break;
        case kCloseAll:
            for (auto& slot : slots) slot.Reset();
            break;
        case kExit:
            return false;
        default:  // withdrawn by an owner that stopped waiting
            return true;
    }
    action = kNoAction;
    SetEvent(done.Get());
    return true;
}

void TChangeHandlerThread::State::PlacePending() {
    for (int slot = 0; slot < kSlotCount; ++slot) {
        if (slots[slot]) continue;
        slots[slot] = std::move(pending);
        newSlot = slot;
        return;
    }
    // Every slot is taken: the handle stays pending until it is replaced or we are destroyed.
    newSlot = -1;
}

void TChangeHandlerThread::State::Fired(int slot) {
    if (owner != nullptr && !exiting.load()) PostMessageW(owner, message, WPARAM(slot), 0);
    // A watch that cannot be re-armed (its folder went away) is dropped.
    if (!FindNextChangeNotification(slots[slot].Get())) slots[slot].Reset();
}

// The wait refused its handles. Drops the watches the platform no longer accepts, so that the
// loop does not spin on the same failure; false when none was to blame.
bool TChangeHandlerThread::State::DropBrokenWatches() {
    bool dropped = false;
    for (auto& slot : slots) {
        if (slot && WaitForSingleObject(slot.Get(), 0) == WAIT_FAILED) {
            slot.Reset();
            dropped = true;
        }
    }
    return dropped;
}

TChangeHandlerThread::TChangeHandlerThread(HWND ownerWindow, UINT changeMessage)
    : state_(std::make_shared<State>(ownerWindow, changeMessage)) {
    state_->wake = NewAutoResetEvent();
    state_->done = NewAutoResetEvent();
    auto parameter = std::make_unique<std::shared_ptr<State>>(state_);
    HANDLE thread = CreateThread(nullptr, 0, ThreadMain, parameter.get(), 0, nullptr);
    if (thread == nullptr) base::ThrowLastError();
    parameter.release();
    thread_.Reset(thread);
}

DWORD WINAPI TChangeHandlerThread::ThreadMain(void* parameter) noexcept {
    const std::unique_ptr<std::shared_ptr<State>> state(
        static_cast<std::shared_ptr<State>*>(parameter));
    try {
        (*state)->Run();
    } catch (...) {
        // Watchers report nothing: the watches simply stop.
    }
    return 0;
}

TChangeHandlerThread::~TChangeHandlerThread() {
    state_->exiting = true;
    {
        std::lock_guard guard(state_->lock);
        state_->action = kExit;
    }
    SetEvent(state_->wake.Get());
    // Normally the thread has ended now and our reference is the last: letting go of it closes
    // every watch, the pending one and both events. A thread still busy after the wait keeps the
    // state and closes it all when it ends.
    WaitForSingleObject(thread_.Get(), kExitTimeout);
}

bool TChangeHandlerThread::AddWatch(const std::wstring& path, DWORD filter, int& slotIndex,
                                    bool watchSubtree) {
    slotIndex = -1;
    if (path.empty()) return false;
    base::ChangeNotificationHandle watch(
        FindFirstChangeNotificationW(path.c_str(), watchSubtree ? TRUE : FALSE, filter));
    if (!watch) return false;
    return Submit(kPlaceWatch, std::move(watch), slotIndex) && slotIndex >= 0;
}

bool TChangeHandlerThread::RemoveAllWatches() {
    int unused = -1;
    return Submit(kCloseAll, {}, unused);
}

// Hands a request to the thread and waits for the answer. A request not carried out in time is
// withdrawn (with its handle), so the thread cannot act on it later.
bool TChangeHandlerThread::Submit(int action, base::ChangeNotificationHandle watch, int& newSlot) {
    State& state = *state_;
    // Cleared before the request is visible: a thread woken early may answer it at once.
    ResetEvent(state.done.Get());
    base::ChangeNotificationHandle replaced;
    {
        std::lock_guard guard(state.lock);
        state.action = action;
        if (action == kPlaceWatch) {
            // A handle left pending by a full table was never placed; this one takes its turn.
            replaced = std::exchange(state.pending, std::move(watch));
            state.newSlot = -1;
        }
    }
    SetEvent(state.wake.Get());
    WaitForSingleObject(state.done.Get(), kRequestTimeout);

    base::ChangeNotificationHandle withdrawn;
    std::lock_guard guard(state.lock);
    if (state.action == kNoAction) {
        newSlot = state.newSlot;
        return true;
    }
    state.action = kNoAction;
    if (action == kPlaceWatch) withdrawn = std::move(state.pending);
    newSlot = -1;
    return false;
}
