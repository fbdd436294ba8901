#include "findfile/TargetSearch.h"

#include "findfile/PathText.h"

namespace findfile {
namespace {

// Adds one target with its masks; a folder named again gathers the masks of both and takes the
// later recursion setting.
void AddTarget(TTargetFolderList& targets, std::wstring_view folder, const TStringList& masks,
               bool recursive, const TFileCriteria& files) {
    TTargetFolder& target = targets.AddFolder(folder);
    target.FileMasks.insert(target.FileMasks.end(), masks.begin(), masks.end());
    target.Recursive = recursive;
    target.MinLevel = files.MinLevel();
    target.MaxLevel = files.MaxLevel();
}

}  // namespace

TTargetSearch::TTargetSearch(const TSearchCriteria& criteria) {
    const TFileCriteria& files = criteria.Files();
    TargetFolders.ExcludedFiles = files.Excluded();
    for (std::wstring line : files.Included()) {
        const bool recursive = TakeRecursionPrefix(line, files.Subfolders());
        const std::size_t nameStart = LastComponentStart(line);
        AddTarget(TargetFolders, std::wstring_view(line).substr(0, nameStart),
                  {line.substr(nameStart)}, recursive, files);
    }
    const TStringList masks = SplitList(files.FileName());
    for (std::wstring piece : SplitList(files.Location())) {
        const bool recursive = TakeRecursionPrefix(piece, files.Subfolders());
        AddTarget(TargetFolders, piece, masks, recursive, files);
    }
    Attribute.Assign(criteria.Attribute());
    TimeStamp.Assign(criteria.TimeStamp());
    Size.Assign(criteria.Size());
    Content.Assign(criteria.Content());
    // Folders are never content-tested.
    if (Content.PhraseLength() > 0)
        Attribute.SetAttributes(Attribute.Attributes().Exclude(ffDirectory));
}

bool TTargetSearch::IsAcceptable(const std::wstring& folder, const TSearchRec& entry) const {
    const WIN32_FIND_DATAW& data = entry.FindData;
    return Attribute.Matches(entry.Attr) && Size.Matches(entry.FullSize()) &&
           TimeStamp.Matches(data.ftCreationTime, data.ftLastWriteTime, data.ftLastAccessTime) &&
           !TargetFolders.IsExcluded(folder, entry.Name) && Content.Matches(folder + entry.Name);
}

}  // namespace findfile
