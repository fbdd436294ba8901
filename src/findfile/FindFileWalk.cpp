// The depth-first walk of the target folders, shared by the threaded and the direct search.
#include "findfile/FindFile.h"
#include "findfile/FolderIdentity.h"
#include "findfile/SearchThread.h"
#include "base/Handle.h"

namespace findfile {
namespace {

// Never reported by a folder enumeration of ours.
constexpr DWORD kVolumeLabel = 0x08;

// Symbolic links and junctions; under Wine also symbolic links of the Unix side.
bool IsLink(const WIN32_FIND_DATAW& data) noexcept {
    return (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

bool IsDotEntry(const wchar_t* name) noexcept {
    return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

}  // namespace

bool TFindFile::Stopping() const noexcept { return worker_ ? worker_->Terminated() : aborted_; }

// A handler of a direct search may destroy the component: the walk then unwinds at once, touching
// nothing of it on the way.
TFolderIgnore TFindFile::NotifyFolderChange(const std::wstring& folder) {
    if (worker_) return worker_->FolderChange(folder);
    DestroyWatch watch(*this);
    const TFolderIgnore ignore = DoFolderChange(folder);
    if (watch.Destroyed()) throw Destroyed{};
    return ignore;
}

void TFindFile::NotifyFileMatch(const std::wstring& folder, const TSearchRec& entry) {
    if (worker_) {
        worker_->FileMatch(folder, entry);
        return;
    }
    DestroyWatch watch(*this);
    DoFileMatch(folder, entry);
    if (watch.Destroyed()) throw Destroyed{};
}

void TFindFile::RunTargets() {
    const TTargetFolderList& targets = job_->TargetFolders;
    FolderChain chain;
    // In the order first added: the list has the newest at the front.
    for (int i = targets.Count() - 1; i >= 0 && !Stopping(); --i) {
        currentLevel_ = 0;
        currentTarget_ = &targets[i];
        SearchIn(targets[i].FolderPath, false, chain);
    }
}

void TFindFile::SearchIn(const std::wstring& folder, bool viaLink, FolderChain& chain) {
    // A link back to a folder on the current path would lead round for ever.
    if (!chain.Enter(folder, viaLink)) return;
    // Not undone on the way out of an error: the end of the search resets the level, and the
    // chain is the walk's own.
    ++currentLevel_;
    SearchFolder(folder, chain);
    --currentLevel_;
    chain.Leave();
}

void TFindFile::SearchFolder(const std::wstring& folder, FolderChain& chain) {
    const TTargetFolder& target = *currentTarget_;
    const TFolderIgnore ignore = NotifyFolderChange(folder);
    TSearchRec entry;
    if ((ignore == fiNone || ignore == fiJustSubfolders) && currentLevel_ >= target.MinLevel) {
        for (auto mask = target.FileMasks.rbegin(); mask != target.FileMasks.rend(); ++mask) {
            if (Stopping()) break;
            SearchFiles(folder, *mask, entry);
        }
    }
    if (!target.Recursive || (ignore != fiNone && ignore != fiJustThis) ||
        (target.MaxLevel != 0 && target.MaxLevel <= currentLevel_) || Stopping())
        return;
    base::FindHandle find(FindFirstFileW((folder + L"*.*").c_str(), &entry.FindData));
    if (!find) return;
    do {
        if (Stopping()) break;
        const WIN32_FIND_DATAW& data = entry.FindData;
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !IsDotEntry(data.cFileName))
            SearchIn(folder + data.cFileName + L'\\', IsLink(data), chain);
    } while (FindNextFileW(find.Get(), &entry.FindData));
}

void TFindFile::SearchFiles(const std::wstring& folder, const std::wstring& mask,
                            TSearchRec& entry) {
    base::FindHandle find(FindFirstFileW((folder + mask).c_str(), &entry.FindData));
    if (!find) return;
    do {
        if (Stopping()) break;
        const WIN32_FIND_DATAW& data = entry.FindData;
        if (IsDotEntry(data.cFileName) || (data.dwFileAttributes & kVolumeLabel)) continue;
        entry.Fill();
        if (job_->IsAcceptable(folder, entry)) NotifyFileMatch(folder, entry);
    } while (FindNextFileW(find.Get(), &entry.FindData));
}

}  // namespace findfile
