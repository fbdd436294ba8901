// The date range of the scan tab: each choice bounds its own time stamp, "From date:" from below
// and "To date:" from above, and a scan selects exactly the files that stamp puts in range.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "app/MainForm.h"
#include "base/DateTime.h"
#include "base/Handle.h"
#include "common/TempDir.h"

using testing_support::TempDir;

namespace {

FILETIME NoonOf(WORD day) {
    const SYSTEMTIME time{2020, 1, 0, day, 12, 0, 0, 0};
    FILETIME local{}, utc{};
    SystemTimeToFileTime(&time, &local);
    LocalFileTimeToFileTime(&local, &utc);
    return utc;
}

void SetStamps(const std::wstring& path, const FILETIME& written, const FILETIME& accessed) {
    base::FileHandle file(CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(SetFileTime(file.Get(), nullptr, &accessed, &written));
}

// The six bounds in the order CreatedBefore, CreatedAfter, ModifiedBefore, ModifiedAfter,
// AccessedBefore, AccessedAfter.
std::array<double, 6> Bounds(const findfile::TDateTimeCriteria& dates) {
    return {dates.CreatedBefore(), dates.CreatedAfter(),   dates.ModifiedBefore(),
            dates.ModifiedAfter(), dates.AccessedBefore(), dates.AccessedAfter()};
}

}  // namespace

TEST(ScanDates, EachRangeSelectsByItsOwnStampBetweenItsBounds) {
    TempDir dir;
    // Written and last read on different days, in opposite orders.
    const std::wstring early = dir.Write(L"written early.txt", "x");
    const std::wstring late = dir.Write(L"written late.txt", "x");
    SetStamps(early, NoonOf(10), NoonOf(20));
    SetStamps(late, NoonOf(20), NoonOf(10));

    TMainForm form;
    form.PageControl1->SelectPage(1);
    form.editFolder->SetText(dir.Path());
    form.comboFileExt->SetText(L"*.txt");
    form.cbDate->SetChecked(true);
    const SYSTEMTIME fifteenth{2020, 1, 0, 15, 0, 0, 0, 0};
    const double bound = base::SystemTimeToDateTime(fifteenth);
    form.AfterDate->SetDate(bound);
    form.BeforeDate->SetDate(bound);
    const FILETIME middle = NoonOf(15);

    struct Row {
        const wchar_t* range;
        FILETIME WIN32_FILE_ATTRIBUTE_DATA::*stamp;
        int before;  // the position of its "To date:" bound in Bounds(); "From date:" follows
    } rows[] = {
        {L"Modified date", &WIN32_FILE_ATTRIBUTE_DATA::ftLastWriteTime, 2},
        {L"Created date", &WIN32_FILE_ATTRIBUTE_DATA::ftCreationTime, 0},
        {L"Accessed date", &WIN32_FILE_ATTRIBUTE_DATA::ftLastAccessTime, 4},
    };
    enum Check { kFrom, kTo, kNeither };
    const wchar_t* const kCheckNames[] = {L", From date:", L", To date:", L", neither"};
    const std::vector<std::wstring> ranges = form.comboDateRange->Items();
    for (const Row& row : rows) {
        const auto item = std::find(ranges.begin(), ranges.end(), row.range);
        ASSERT_NE(item, ranges.end()) << row.range;
        form.comboDateRange->SetItemIndex(int(item - ranges.begin()));
        for (const Check check : {kFrom, kTo, kNeither}) {
            SCOPED_TRACE(std::wstring(row.range) + kCheckNames[check]);
            form.AD->SetChecked(check == kFrom);
            form.BD->SetChecked(check == kTo);
            // The stamps as the platform keeps them (Wine reports the last write as the creation).
            TFileList expected;
            for (const std::wstring& path : {early, late}) {
                WIN32_FILE_ATTRIBUTE_DATA data{};
                ASSERT_TRUE(GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data));
                const LONG order = CompareFileTime(&(data.*row.stamp), &middle);
                if (check == kNeither || (check == kFrom ? order > 0 : order < 0))
                    expected.push_back(path);
            }
            form.GetFilenames();
            std::sort(form.FileList.begin(), form.FileList.end());
            EXPECT_EQ(form.FileList, expected);
            std::array<double, 6> bounds{};
            if (check != kNeither) bounds[size_t(row.before + (check == kFrom ? 1 : 0))] = bound;
            EXPECT_EQ(Bounds(form.FindFile1->Criteria().TimeStamp()), bounds);
        }
    }
    // "Date:" unchecked: no bound, whatever the rest says.
    form.cbDate->SetChecked(false);
    form.AD->SetChecked(true);
    form.GetFilenames();
    EXPECT_EQ(form.FileList.size(), 2u);
    EXPECT_EQ(Bounds(form.FindFile1->Criteria().TimeStamp()), (std::array<double, 6>{}));
}
