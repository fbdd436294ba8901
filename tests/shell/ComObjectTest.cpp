#include <gtest/gtest.h>

#include "ShellTestSupport.h"
#include "common/TempDir.h"
#include "shell/ShellDetails.h"

using Microsoft::WRL::ComPtr;

TEST(ComObject, AnswersItsInterfacesOnlyAndIsFreedWithItsLastReference) {
    testing_support::TempDir dir;
    ComPtr<IShellFolder> folder;
    ASSERT_EQ(BindToFolder(shell_test::ParsePath(dir.Path()).Get(), folder), S_OK);
    const long live = ComObjectCounter::Live();
    ComPtr<IShellDetails> details = GetShellDetails(folder.Get());
    ASSERT_EQ(ComObjectCounter::Live(), live + 1);  // the adapter over IShellFolder2
    ComPtr<IUnknown> unknown;
    ComPtr<IShellFolder2> notOffered;
    EXPECT_EQ(details.As(&unknown), S_OK);
    EXPECT_EQ(details.As(&notOffered), E_NOINTERFACE);
    EXPECT_EQ(details->AddRef(), 3u);
    EXPECT_EQ(details->Release(), 2u);
    details.Reset();
    unknown.Reset();
    EXPECT_EQ(ComObjectCounter::Live(), live);
}
