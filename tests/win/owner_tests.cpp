// The owner template through real GDI and global-memory handles: each handle is closed
// exactly once whichever way it travels, the tallies see every open and close, and a
// select guard puts back what it replaced.
#include "gdi_owners.h"
#include "global_mem.h"

#include <gtest/gtest.h>

using namespace korvane;

namespace {

struct TallyDelta {
    HandleKind kind;
    long opened0 = Tally(kind).opened.load();
    long closed0 = Tally(kind).closed.load();
    long Opened() const { return Tally(kind).opened.load() - opened0; }
    long Closed() const { return Tally(kind).closed.load() - closed0; }
};

// A GDI handle still exists while GetObjectType knows it.
bool Alive(HGDIOBJ object) { return GetObjectType(object) != 0; }

}  // namespace

TEST(Owner, EveryWayAnObjectTravelsClosesItOnce)
{
    struct Case {
        const char* name;
        void (*travel)(Bitmap&);
    };
    const Case cases[] = {
        {"scope end", [](Bitmap&) {}},
        {"move construct", [](Bitmap& b) { Bitmap taken(std::move(b)); }},
        {"move assign over another",
         [](Bitmap& b) {
             Bitmap other(CreateBitmap(1, 1, 1, 1, nullptr));
             other = std::move(b);
         }},
        {"self move",
         [](Bitmap& b) {
             Bitmap& same = b;
             b = std::move(same);
         }},
        {"reset twice",
         [](Bitmap& b) {
             b.Reset();
             b.Reset();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TallyDelta objects{HandleKind::GdiObject};
        HBITMAP hbm = CreateBitmap(8, 8, 1, 1, nullptr);
        {
            Bitmap owner(hbm);
            c.travel(owner);
        }
        EXPECT_FALSE(Alive(hbm));
        EXPECT_EQ(objects.Opened(), objects.Closed());
        EXPECT_GE(objects.Opened(), 1);
    }
}

TEST(Owner, ReleaseAndDetachSettleTheTallyAsTheirCallersExpect)
{
    const TallyDelta blocks{HandleKind::GlobalMemory};
    // Detach keeps the block counted until Reclaim's owner frees it.
    HGLOBAL detached = AllocateGlobal(64).Detach();
    ASSERT_NE(detached, nullptr);
    EXPECT_EQ(blocks.Opened() - blocks.Closed(), 1);
    GlobalBlock::Reclaim(detached).Reset();
    EXPECT_EQ(blocks.Opened() - blocks.Closed(), 0);
    // Release leaves the accounting at once; the handle is the caller's to free.
    HGLOBAL released = AllocateGlobal(64).Release();
    EXPECT_EQ(blocks.Opened() - blocks.Closed(), 0);
    // Still a live block, which an owner of the caller's frees (and counts).
    EXPECT_NE(GlobalSize(released), 0u);
    GlobalBlock adopted = GlobalBlock::Reclaim(released);
    adopted.NoteReceived();
    adopted.Reset();
    EXPECT_EQ(blocks.Opened() - blocks.Closed(), 0);
}

TEST(Owner, ReceiveClosesWhatWasHeldAndDiscardForgetsAFailedCallsLeftover)
{
    const TallyDelta blocks{HandleKind::GlobalMemory};
    {
        GlobalBlock block = AllocateGlobal(64);
        // A second open into the same owner: the first block must not leak.
        *block.Receive() = GlobalAlloc(GMEM_MOVEABLE, 64);
        block.NoteReceived();
        EXPECT_EQ(blocks.Opened() - blocks.Closed(), 1);
        // A failed call's out-parameter holds nothing to close.
        *block.Receive() = reinterpret_cast<HGLOBAL>(UINT_PTR{1});
        block.Discard();
        EXPECT_FALSE(block);
    }
    EXPECT_EQ(blocks.Opened(), 2);
    EXPECT_EQ(blocks.Closed(), 2);
}

TEST(Owner, LockedBlockStaysLockedUntilItsOwnerFreesIt)
{
    const TallyDelta blocks{HandleKind::GlobalMemory};
    HGLOBAL hmem;
    {
        LockedGlobal locked = AllocateLockedGlobal(32);
        ASSERT_TRUE(locked);
        hmem = locked.Value().hmem;
        EXPECT_EQ(GlobalFlags(hmem) & GMEM_LOCKCOUNT, 1u);
        LockedGlobal moved(std::move(locked));
        EXPECT_FALSE(locked);
        EXPECT_EQ(GlobalFlags(hmem) & GMEM_LOCKCOUNT, 1u);
    }
    EXPECT_EQ(blocks.Opened(), 1);
    EXPECT_EQ(blocks.Closed(), 1);
}

TEST(Owner, SelectGuardRestoresTheObjectItReplaced)
{
    MemoryDc memory(nullptr);
    ASSERT_TRUE(memory);
    const HGDIOBJ original = GetCurrentObject(memory.Get(), OBJ_BITMAP);
    Bitmap bitmap(CreateCompatibleBitmap(memory.Get(), 4, 4));
    {
        SelectGuard select(memory.Get(), bitmap.Get());
        ASSERT_TRUE(select);
        EXPECT_EQ(GetCurrentObject(memory.Get(), OBJ_BITMAP), bitmap.Get());
        SelectGuard moved(std::move(select));
    }
    EXPECT_EQ(GetCurrentObject(memory.Get(), OBJ_BITMAP), original);
    // Deselected, so the bitmap can really go.
    HBITMAP hbm = bitmap.Get();
    bitmap.Reset();
    EXPECT_FALSE(Alive(hbm));
}
