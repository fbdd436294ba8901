#include <cstring>

#include <gtest/gtest.h>

#include "base/GlobalMemory.h"

namespace {

// A block as a data object keeps it and hands out copies: zero-filled, locked only while a lock
// lives, and each copy a block of its own.
TEST(GlobalMemory, BlocksAreZeroFilledLockedInScopesAndCopiedWhole) {
    base::GlobalHandle block = base::AllocateGlobal(21);
    {
        base::GlobalLock<char> lock(block.Get());
        ASSERT_NE(lock.Get(), nullptr);
        ASSERT_GE(lock.Size(), 21u);
        for (size_t i = 0; i < 21; ++i) EXPECT_EQ(lock.Get()[i], 0) << i;
        std::memcpy(lock.Get(), "C:\\a.txt", 9);
        EXPECT_EQ(GlobalFlags(block.Get()) & GMEM_LOCKCOUNT, 1u);
    }
    EXPECT_EQ(GlobalFlags(block.Get()) & GMEM_LOCKCOUNT, 0u);

    base::GlobalHandle copy = base::CopyGlobal(block.Get());
    base::GlobalLock<char>(block.Get()).Get()[0] = 'D';
    base::GlobalLock<char> lock(copy.Get());
    EXPECT_STREQ(lock.Get(), "C:\\a.txt");
    EXPECT_EQ(lock.Size(), GlobalSize(block.Get()));
}

}  // namespace
