// Test support: records a search's events as short texts, relative to a base folder.
#pragma once

#include <string>
#include <vector>

#include <windows.h>

#include "findfile/FindFile.h"

namespace findfile_test {

class SearchRecorder {
  public:
    // Folders below base are recorded relative to it ("" for base itself, "sub\" below).
    explicit SearchRecorder(std::wstring base) : base_(std::move(base) + L"\\") {}

    void Attach(findfile::TFindFile& finder) {
        finder.OnSearchBegin = [this](findfile::TFindFile&) { Add(L"begin"); };
        finder.OnSearchFinish = [this](findfile::TFindFile&) { Add(L"finish"); };
        finder.OnSearchAbort = [this](findfile::TFindFile&) { Add(L"abort"); };
        finder.OnFolderChange = [this](findfile::TFindFile&, const std::wstring& folder,
                                       findfile::TFolderIgnore&) {
            Add(L"folder " + Relative(folder));
        };
        finder.OnFileMatch = [this](findfile::TFindFile&, const std::wstring& folder,
                                    const findfile::TSearchRec& info) {
            Add(L"match " + Relative(folder) + info.Name);
        };
    }

    std::wstring Relative(const std::wstring& folder) const {
        return folder.compare(0, base_.size(), base_) == 0 ? folder.substr(base_.size()) : folder;
    }

    // The events, and the threads that raised them.
    std::vector<std::wstring> events;
    std::vector<DWORD> threads;

    // Only the matches, without the "match " prefix.
    std::vector<std::wstring> Matches() const {
        std::vector<std::wstring> result;
        for (const std::wstring& event : events)
            if (event.rfind(L"match ", 0) == 0) result.push_back(event.substr(6));
        return result;
    }

  private:
    void Add(std::wstring event) {
        events.push_back(std::move(event));
        threads.push_back(GetCurrentThreadId());
    }

    std::wstring base_;
};

}  // namespace findfile_test
