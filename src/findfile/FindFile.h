// The file search component: walks target folders depth-first and reports every entry that
// passes the criteria, on the caller's thread or on a worker whose events are handed over to the
// owner's thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include <windows.h>

#include "findfile/SearchCriteria.h"
#include "findfile/SearchRec.h"
#include "findfile/TargetSearch.h"

namespace findfile {

class FolderChain;
class TFindFile;
class TSearchThread;

// What to skip of a folder, as answered by OnFolderChange.
enum TFolderIgnore { fiNone, fiJustThis, fiJustSubfolders, fiThisAndSubfolders };

enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

// Folder is the full path with its trailing separator; the match's full path is Folder followed
// directly by FileInfo.Name.
using TFileMatchEvent =
    std::function<void(TFindFile& sender, const std::wstring& folder, const TSearchRec& fileInfo)>;
using TFolderChangeEvent =
    std::function<void(TFindFile& sender, const std::wstring& folder, TFolderIgnore& ignoreFolder)>;
using TSearchNotifyEvent = std::function<void(TFindFile& sender)>;

class TFindFile {
  public:
    TFindFile();
    // Aborts a running search and waits for its end, handling this thread's messages meanwhile;
    // OnSearchAbort and OnSearchFinish are not raised then. A handler of the component's own
    // events may destroy it: the search then ends without touching the component again.
    virtual ~TFindFile();
    TFindFile(const TFindFile&) = delete;
    TFindFile& operator=(const TFindFile&) = delete;

    TSearchCriteria& Criteria() noexcept { return criteria_; }
    const TSearchCriteria& Criteria() const noexcept { return criteria_; }
    void SetCriteria(const TSearchCriteria& value) { criteria_.Assign(value); }
    // Whether Execute runs the search on a worker thread and returns at once. The thread that
    // calls Execute must then handle its messages: every event runs on it.
    bool Threaded() const noexcept { return threaded_; }
    void SetThreaded(bool value) noexcept { threaded_ = value; }
    TThreadPriority ThreadPriority() const noexcept { return threadPriority_; }
    void SetThreadPriority(TThreadPriority value) noexcept { threadPriority_ = value; }

    // A search is running: from Execute until after OnSearchFinish.
    bool Busy() const noexcept { return busy_; }
    // Abort was called during the running (or last) search.
    bool Aborted() const noexcept { return aborted_; }
    // The depth of the folder being searched (1 = the target folder).
    std::uint16_t CurrentLevel() const noexcept { return currentLevel_; }
    // The target being searched, or none.
    const TTargetFolder* CurrentTarget() const noexcept { return currentTarget_; }

    // Starts a search with the current criteria; does nothing while one is running. Returns when
    // the search has ended, or at once when Threaded. An error raised by a handler of a
    // non-threaded search ends the search (OnSearchFinish included) and then reaches the caller.
    void Execute();
    // Asks the running search to stop: OnSearchAbort at once, nothing reported after it,
    // OnSearchFinish when the walk has ended. Does nothing without a running search.
    void Abort();

    TFileMatchEvent OnFileMatch;
    TFolderChangeEvent OnFolderChange;
    TSearchNotifyEvent OnSearchBegin;
    TSearchNotifyEvent OnSearchFinish;
    TSearchNotifyEvent OnSearchAbort;

  protected:
    virtual void DoSearchBegin();
    virtual void DoSearchFinish();
    virtual void DoSearchAbort();
    virtual TFolderIgnore DoFolderChange(const std::wstring& folder);
    virtual void DoFileMatch(const std::wstring& folder, const TSearchRec& fileInfo);

  private:
    friend class TSearchThread;
    static LRESULT CALLBACK SyncWindowProc(HWND, UINT, WPARAM, LPARAM);

    // Lives on the stack around a call that may run a handler; the destructor marks every one
    // still in place, so that their callers know not to touch the component any more.
    class DestroyWatch {
      public:
        explicit DestroyWatch(TFindFile& owner) : owner_(owner), outer_(owner.watches_) {
            owner.watches_ = this;
        }
        ~DestroyWatch() {
            if (!destroyed_) owner_.watches_ = outer_;
        }
        DestroyWatch(const DestroyWatch&) = delete;
        DestroyWatch& operator=(const DestroyWatch&) = delete;
        bool Destroyed() const noexcept { return destroyed_; }

      private:
        friend class TFindFile;
        TFindFile& owner_;
        DestroyWatch* outer_;
        bool destroyed_ = false;
    };
    // Unwinds a direct search whose component a handler has destroyed.
    struct Destroyed {};

    void StartWorker();
    void WorkerFinished();
    // False when the finish handler destroyed the component.
    bool EndSearch();
    void ClearSearch() noexcept;
    void WaitForSearchEnd();
    HWND SyncWindow();

    // The walk (FindFileWalk.cpp); runs on the caller's thread or on the worker.
    void RunTargets();
    void SearchIn(const std::wstring& folder, bool viaLink, FolderChain& chain);
    void SearchFolder(const std::wstring& folder, FolderChain& chain);
    void SearchFiles(const std::wstring& folder, const std::wstring& mask, TSearchRec& entry);
    bool Stopping() const noexcept;
    TFolderIgnore NotifyFolderChange(const std::wstring& folder);
    void NotifyFileMatch(const std::wstring& folder, const TSearchRec& entry);

    TSearchCriteria criteria_;
    bool threaded_ = false;
    TThreadPriority threadPriority_ = tpNormal;
    bool busy_ = false;
    bool aborted_ = false;
    bool destroying_ = false;
    std::atomic<std::uint16_t> currentLevel_{0};
    std::atomic<const TTargetFolder*> currentTarget_{nullptr};
    std::unique_ptr<TTargetSearch> job_;
    std::unique_ptr<TSearchThread> worker_;
    HWND syncWindow_ = nullptr;
    DestroyWatch* watches_ = nullptr;
};

}  // namespace findfile
