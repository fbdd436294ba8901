// One search job: the target folders and private copies of the criteria, built when a search
// starts so that changing the criteria meanwhile does not disturb it.
#pragma once

#include <string>

#include "findfile/SearchCriteria.h"
#include "findfile/SearchRec.h"
#include "findfile/TargetFolder.h"

namespace findfile {

class TTargetSearch {
  public:
    explicit TTargetSearch(const TSearchCriteria& criteria);

    // The acceptance test of one entry of a folder (with its trailing separator), cheapest
    // tests first; only the content test opens the file.
    bool IsAcceptable(const std::wstring& folder, const TSearchRec& entry) const;

    TTargetFolderList TargetFolders;
    TAttributeCriteria Attribute;
    TDateTimeCriteria TimeStamp;
    TSizeCriteria Size;
    TContentCriteria Content;
};

}  // namespace findfile
