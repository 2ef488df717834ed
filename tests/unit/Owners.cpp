// The scoped owners hand a resource on by moving it: the last owner gives it back,
// once, and an owner that takes another gives back the one it held.
#include <gtest/gtest.h>
#include "ScopedWin.h"

namespace {

bool IsOpen(HANDLE handle)
{
    DWORD flags = 0;
    return GetHandleInformation(handle, &flags) != FALSE;
}

HANDLE NewEvent() { return CreateEventW(nullptr, TRUE, FALSE, nullptr); }

TEST(Owners, AMovedHandleIsClosedOnceByItsLastOwner)
{
    HANDLE event = NewEvent();
    ASSERT_TRUE(IsOpen(event));
    {
        ScopedHandle made(event);
        ScopedHandle kept(Moved(made));
        EXPECT_FALSE(made.IsValid()) << "an owner moved from holds nothing";
        ScopedHandle last;
        last = Moved(kept);
        EXPECT_FALSE(kept.IsValid());
        EXPECT_EQ(event, last.Get());
        EXPECT_TRUE(IsOpen(event)) << "closed on the way";
    }
    EXPECT_FALSE(IsOpen(event)) << "left open by its last owner";

    HANDLE first = NewEvent(), second = NewEvent();
    ScopedHandle held(first), other(second);
    held = Moved(other);
    EXPECT_FALSE(IsOpen(first)) << "the handle held before a move into the owner";
    EXPECT_TRUE(IsOpen(second));
}

// The memory DC owner adds making its DC to the common shape, and moves as the others do.
TEST(Owners, AMemoryDCMovesAndIsDeletedByItsLastOwner)
{
    ScopedMemoryDC made(nullptr);
    HDC dc = made.Get();
    ASSERT_EQ((DWORD)OBJ_MEMDC, GetObjectType(dc));
    ScopedMemoryDC kept(Moved(made));
    EXPECT_EQ(nullptr, made.Get());
    EXPECT_EQ(dc, kept.Get());
    EXPECT_EQ((DWORD)OBJ_MEMDC, GetObjectType(dc));
    kept.Reset();
    EXPECT_EQ(0u, GetObjectType(dc));
}

} // namespace
