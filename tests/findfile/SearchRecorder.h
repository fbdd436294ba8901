// Test support: records a search's events as short texts, relative to a base folder, and handles
// messages while a threaded search runs.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <windows.h>

#include "findfile/FindFile.h"

namespace findfile_test {

using Events = std::vector<std::wstring>;

class SearchRecorder {
  public:
    // Folders below base are recorded relative to it ("" for base itself, "sub\" below).
    explicit SearchRecorder(std::wstring base) : base_(std::move(base) + L"\\") {}

    void Attach(findfile::TFindFile& finder) {
        using findfile::TFindFile;
        finder.OnSearchBegin = [this](TFindFile&) { Add(L"begin"); };
        finder.OnSearchFinish = [this](TFindFile&) { Add(L"finish"); };
        finder.OnSearchAbort = [this](TFindFile&) { Add(L"abort"); };
        finder.OnFolderChange = [this](TFindFile&, const std::wstring& folder,
                                       findfile::TFolderIgnore&) {
            Add(L"folder " + Relative(folder));
        };
        finder.OnFileMatch = [this](TFindFile&, const std::wstring& folder,
                                    const findfile::TSearchRec& info) {
            Add(L"match " + Relative(folder) + info.Name);
        };
    }

    std::wstring Relative(const std::wstring& folder) const {
        return folder.compare(0, base_.size(), base_) == 0 ? folder.substr(base_.size()) : folder;
    }

    // Only the matches, without the "match " prefix.
    Events Matches() const {
        Events result;
        for (const std::wstring& event : events)
            if (event.rfind(L"match ", 0) == 0) result.push_back(event.substr(6));
        return result;
    }

    Events events;
    std::vector<DWORD> threads;                     // the thread that raised each event
    std::function<void(const std::wstring&)> then;  // called after each event is recorded

  private:
    void Add(std::wstring event) {
        events.push_back(event);
        threads.push_back(GetCurrentThreadId());
        if (then) then(event);
    }

    std::wstring base_;
};

// Handles this thread's messages until done() holds. The generous limit only turns a hang into a
// failure; nothing depends on speed.
template <class Done>
bool PumpUntil(Done done) {
    const ULONGLONG start = GetTickCount64();
    while (!done()) {
        if (GetTickCount64() - start > 120000) return false;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        if (!done()) MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    return true;
}

}  // namespace findfile_test
