#include "findfile/SearchCriteria.h"

#include "findfile/Matching.h"
#include "base/Error.h"

namespace findfile {

void TPersistent::RaiseAssignError(const TPersistent& source) const {
    throw base::AssignError(source.ClassName(), ClassName());
}

namespace {

// Member n of TFileAttribute and its platform bit.
constexpr DWORD kPlatformBits[] = {FILE_ATTRIBUTE_ARCHIVE, FILE_ATTRIBUTE_READONLY,
                                   FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_SYSTEM,
                                   FILE_ATTRIBUTE_DIRECTORY};

// Read-only, hidden, system, directory and archive: the bits the attribute test looks at.
constexpr DWORD kTestedBits = 0x37;

}  // namespace

DWORD TFileAttributes::ToPlatform() const noexcept {
    DWORD result = 0;
    for (int member = ffArchive; member <= ffDirectory; ++member)
        if (Contains(TFileAttribute(member))) result |= kPlatformBits[member];
    return result;
}

TFileAttributes TFileAttributes::FromPlatform(DWORD attributes) noexcept {
    TFileAttributes result;
    for (int member = ffArchive; member <= ffDirectory; ++member)
        if (attributes & kPlatformBits[member]) result.Include(TFileAttribute(member));
    return result;
}

void TFileCriteria::Assign(const TPersistent& source) {
    *this = AssignSource<TFileCriteria>(source);
}

void TAttributeCriteria::Assign(const TPersistent& source) {
    *this = AssignSource<TAttributeCriteria>(source);
}

bool TAttributeCriteria::Matches(DWORD attributes) const noexcept {
    const DWORD tested = attributes & kTestedBits;
    if (exactMatch_) return tested == bits_;
    return (tested & ~bits_) == 0;
}

void TDateTimeCriteria::Assign(const TPersistent& source) {
    *this = AssignSource<TDateTimeCriteria>(source);
}

namespace {

// A pair with both bounds 0 is not looked at, which spares the time conversion.
bool PairMatches(const FILETIME& time, TDateTime before, TDateTime after) noexcept {
    if (before == 0 && after == 0) return true;
    return DateTimeInRange(FileTimeToLocalDateTime(time), before, after);
}

}  // namespace

bool TDateTimeCriteria::Matches(const FILETIME& created, const FILETIME& modified,
                                const FILETIME& accessed) const noexcept {
    return PairMatches(created, createdBefore_, createdAfter_) &&
           PairMatches(modified, modifiedBefore_, modifiedAfter_) &&
           PairMatches(accessed, accessedBefore_, accessedAfter_);
}

void TSizeCriteria::Assign(const TPersistent& source) {
    *this = AssignSource<TSizeCriteria>(source);
}

bool TSizeCriteria::Matches(std::uint64_t size) const noexcept {
    if (min_ != 0 && size < min_) return false;
    if (max_ != 0 && size > max_) return false;
    return true;
}

void TContentCriteria::Assign(const TPersistent& source) {
    const auto& other = AssignSource<TContentCriteria>(source);
    SetPhrase(other.phrase_);
    SetIgnoreCase(other.ignoreCase_);
}

void TContentCriteria::SetPhrase(const std::string& value) {
    if (value == phrase_) return;
    phrase_ = value;
    phraseLength_ = std::int32_t(phrase_.size());
    UpdateSearchPhrase();
}

void TContentCriteria::SetIgnoreCase(bool value) {
    if (value == ignoreCase_) return;
    ignoreCase_ = value;
    UpdateSearchPhrase();
}

void TContentCriteria::UpdateSearchPhrase() {
    searchPhrase_ = phrase_;
    if (!ignoreCase_) return;
    for (char& c : searchPhrase_)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
}

bool TContentCriteria::Matches(const std::wstring& path) const {
    if (phraseLength_ < 1) return true;
    return FileContainsPhrase(path, searchPhrase_, ignoreCase_);
}

void TSearchCriteria::Assign(const TPersistent& source) {
    const auto& other = AssignSource<TSearchCriteria>(source);
    files_.Assign(other.files_);
    attribute_.Assign(other.attribute_);
    timeStamp_.Assign(other.timeStamp_);
    size_.Assign(other.size_);
    content_.Assign(other.content_);
}

}  // namespace findfile
