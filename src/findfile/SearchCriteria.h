// What a search looks for: names and folders, attributes, time stamps, sizes and content.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include <windows.h>

#include "findfile/Persistent.h"

namespace findfile {

// Days since 30 December 1899 00:00; the fraction is the time of day. 0 means "no bound" in the
// date criteria.
using TDateTime = double;

// A list of text lines (names, paths, masks), in order.
using TStringList = std::vector<std::wstring>;

enum TFileAttribute { ffArchive, ffReadonly, ffHidden, ffSystem, ffDirectory };

// A set of file attributes; bit n stands for member n of TFileAttribute.
class TFileAttributes {
  public:
    constexpr TFileAttributes() noexcept = default;
    constexpr TFileAttributes(std::initializer_list<TFileAttribute> members) noexcept {
        for (TFileAttribute member : members) bits_ |= Bit(member);
    }
    constexpr bool Contains(TFileAttribute member) const noexcept {
        return (bits_ & Bit(member)) != 0;
    }
    constexpr TFileAttributes& Include(TFileAttribute member) noexcept {
        bits_ |= Bit(member);
        return *this;
    }
    constexpr TFileAttributes& Exclude(TFileAttribute member) noexcept {
        bits_ &= ~Bit(member);
        return *this;
    }
    constexpr std::uint8_t Mask() const noexcept { return bits_; }
    friend constexpr bool operator==(TFileAttributes, TFileAttributes) noexcept = default;

    // The platform's attribute bits of the members, and back (other bits are ignored).
    DWORD ToPlatform() const noexcept;
    static TFileAttributes FromPlatform(DWORD attributes) noexcept;

  private:
    static constexpr std::uint8_t Bit(TFileAttribute member) noexcept {
        return std::uint8_t(1u << member);
    }
    std::uint8_t bits_ = 0;
};

// Which files and folders: name masks, target folders, recursion and depth.
class TFileCriteria : public TPersistent {
  public:
    std::wstring ClassName() const override { return L"TFileCriteria"; }
    void Assign(const TPersistent& source) override;

    // Name masks separated by ";", e.g. "*.txt;*.htm".
    const std::wstring& FileName() const noexcept { return fileName_; }
    void SetFileName(std::wstring value) { fileName_ = std::move(value); }
    // Folders separated by ";"; each may start with "<" (no subfolders) or ">" (subfolders).
    const std::wstring& Location() const noexcept { return location_; }
    void SetLocation(std::wstring value) { location_ = std::move(value); }
    // Extra targets, one folder plus one name mask a line, each with an optional "<" or ">".
    const TStringList& Included() const noexcept { return included_; }
    void SetIncluded(const TStringList& value) { included_ = value; }
    // Exclusion entries: an optional folder part and an optional name mask a line.
    const TStringList& Excluded() const noexcept { return excluded_; }
    void SetExcluded(const TStringList& value) { excluded_ = value; }
    // Whether targets without "<" or ">" are searched with their subfolders.
    bool Subfolders() const noexcept { return subfolders_; }
    void SetSubfolders(bool value) noexcept { subfolders_ = value; }
    // The shallowest depth whose files are reported and the deepest depth searched; the target
    // folder is depth 1, 0 means no limit.
    std::uint16_t MinLevel() const noexcept { return minLevel_; }
    void SetMinLevel(std::uint16_t value) noexcept { minLevel_ = value; }
    std::uint16_t MaxLevel() const noexcept { return maxLevel_; }
    void SetMaxLevel(std::uint16_t value) noexcept { maxLevel_ = value; }

  private:
    std::wstring fileName_;
    std::wstring location_;
    TStringList included_;
    TStringList excluded_;
    bool subfolders_ = true;
    std::uint16_t minLevel_ = 0;
    std::uint16_t maxLevel_ = 0;
};

// Which attributes a reported entry may carry (or, with ExactMatch, must carry exactly).
class TAttributeCriteria : public TPersistent {
  public:
    std::wstring ClassName() const override { return L"TAttributeCriteria"; }
    void Assign(const TPersistent& source) override;

    TFileAttributes Attributes() const noexcept { return TFileAttributes::FromPlatform(bits_); }
    void SetAttributes(TFileAttributes value) noexcept { bits_ = value.ToPlatform(); }
    bool ExactMatch() const noexcept { return exactMatch_; }
    void SetExactMatch(bool value) noexcept { exactMatch_ = value; }

    bool Matches(DWORD attributes) const noexcept;

  private:
    DWORD bits_ = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                  FILE_ATTRIBUTE_SYSTEM;
    bool exactMatch_ = false;
};

// Inclusive ranges on the creation, last-write and last-access times; 0 is no bound.
class TDateTimeCriteria : public TPersistent {
  public:
    std::wstring ClassName() const override { return L"TDateTimeCriteria"; }
    void Assign(const TPersistent& source) override;

    TDateTime CreatedBefore() const noexcept { return createdBefore_; }
    void SetCreatedBefore(TDateTime value) noexcept { createdBefore_ = value; }
    TDateTime CreatedAfter() const noexcept { return createdAfter_; }
    void SetCreatedAfter(TDateTime value) noexcept { createdAfter_ = value; }
    TDateTime ModifiedBefore() const noexcept { return modifiedBefore_; }
    void SetModifiedBefore(TDateTime value) noexcept { modifiedBefore_ = value; }
    TDateTime ModifiedAfter() const noexcept { return modifiedAfter_; }
    void SetModifiedAfter(TDateTime value) noexcept { modifiedAfter_ = value; }
    TDateTime AccessedBefore() const noexcept { return accessedBefore_; }
    void SetAccessedBefore(TDateTime value) noexcept { accessedBefore_ = value; }
    TDateTime AccessedAfter() const noexcept { return accessedAfter_; }
    void SetAccessedAfter(TDateTime value) noexcept { accessedAfter_ = value; }

    // Times in UTC, as the platform's enumeration gives them.
    bool Matches(const FILETIME& created, const FILETIME& modified,
                 const FILETIME& accessed) const noexcept;

  private:
    TDateTime createdBefore_ = 0;
    TDateTime createdAfter_ = 0;
    TDateTime modifiedBefore_ = 0;
    TDateTime modifiedAfter_ = 0;
    TDateTime accessedBefore_ = 0;
    TDateTime accessedAfter_ = 0;
};

// An inclusive size range in bytes; 0 is no bound.
class TSizeCriteria : public TPersistent {
  public:
    std::wstring ClassName() const override { return L"TSizeCriteria"; }
    void Assign(const TPersistent& source) override;

    std::uint32_t Min() const noexcept { return min_; }
    void SetMin(std::uint32_t value) noexcept { min_ = value; }
    std::uint32_t Max() const noexcept { return max_; }
    void SetMax(std::uint32_t value) noexcept { max_ = value; }

    // The whole size: a file of 4 GiB and more is not taken for its low 32 bits.
    bool Matches(std::uint64_t size) const noexcept;

  private:
    std::uint32_t min_ = 0;
    std::uint32_t max_ = 0;
};

// A phrase (bytes) the file must contain; an empty phrase switches the test off.
class TContentCriteria : public TPersistent {
  public:
    std::wstring ClassName() const override { return L"TContentCriteria"; }
    void Assign(const TPersistent& source) override;

    const std::string& Phrase() const noexcept { return phrase_; }
    void SetPhrase(const std::string& value);
    bool IgnoreCase() const noexcept { return ignoreCase_; }
    void SetIgnoreCase(bool value);
    std::int32_t PhraseLength() const noexcept { return phraseLength_; }
    // The phrase as compared: folded to ASCII lower case when IgnoreCase is set.
    const std::string& SearchPhrase() const noexcept { return searchPhrase_; }

    // Whether the file contains the phrase; a file that cannot be read does not.
    bool Matches(const std::wstring& path) const;

  private:
    void UpdateSearchPhrase();

    std::string phrase_;
    bool ignoreCase_ = true;
    std::int32_t phraseLength_ = 0;
    std::string searchPhrase_;
};

// The five criteria of a search, owned; setting a part copies it.
class TSearchCriteria : public TPersistent {
  public:
    std::wstring ClassName() const override { return L"TSearchCriteria"; }
    void Assign(const TPersistent& source) override;

    TFileCriteria& Files() noexcept { return files_; }
    const TFileCriteria& Files() const noexcept { return files_; }
    void SetFiles(const TFileCriteria& value) { files_.Assign(value); }
    TAttributeCriteria& Attribute() noexcept { return attribute_; }
    const TAttributeCriteria& Attribute() const noexcept { return attribute_; }
    void SetAttribute(const TAttributeCriteria& value) { attribute_.Assign(value); }
    TDateTimeCriteria& TimeStamp() noexcept { return timeStamp_; }
    const TDateTimeCriteria& TimeStamp() const noexcept { return timeStamp_; }
    void SetTimeStamp(const TDateTimeCriteria& value) { timeStamp_.Assign(value); }
    TSizeCriteria& Size() noexcept { return size_; }
    const TSizeCriteria& Size() const noexcept { return size_; }
    void SetSize(const TSizeCriteria& value) { size_.Assign(value); }
    TContentCriteria& Content() noexcept { return content_; }
    const TContentCriteria& Content() const noexcept { return content_; }
    void SetContent(const TContentCriteria& value) { content_.Assign(value); }

  private:
    TFileCriteria files_;
    TAttributeCriteria attribute_;
    TDateTimeCriteria timeStamp_;
    TSizeCriteria size_;
    TContentCriteria content_;
};

}  // namespace findfile
