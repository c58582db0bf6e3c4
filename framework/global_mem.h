// Owners of movable global memory: a block (GlobalFree), a lock on a block someone
// else owns (GlobalUnlock), and a block kept locked for as long as it is owned. Blocks
// count in the handle tallies. Any thread.
#pragma once
#include "unique_owner.h"

#include <windows.h>

namespace korvane {

// Made from the handle GlobalAlloc returned (see AllocateGlobal).
struct GlobalBlockTraits : OwnedHandleTraits<HGLOBAL, HandleKind::GlobalMemory> {
    static void Close(HGLOBAL hmem) { GlobalFree(hmem); }
};
using GlobalBlock = UniqueOwner<GlobalBlockTraits>;

// GMEM_MOVEABLE | GMEM_ZEROINIT; empty when the memory cannot be had.
inline GlobalBlock AllocateGlobal(SIZE_T bytes)
{
    return GlobalBlock(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes));
}

struct GlobalLockTraits {
    struct Storage {
        HGLOBAL hmem;
        void* data;
    };
    static constexpr HandleKind kTally = HandleKind::Uncounted;
    static Storage Open(HGLOBAL hmem) { return Storage{hmem, hmem ? GlobalLock(hmem) : nullptr}; }
    static bool IsValid(const Storage& value) { return value.data != nullptr; }
    static void* Get(const Storage& value) { return value.data; }
    static void Close(const Storage& value) { GlobalUnlock(value.hmem); }
};
// Keeps a block locked; Get() is the locked data, null when the lock failed.
using GlobalLockGuard = UniqueOwner<GlobalLockTraits>;

// A block and its lock in one: Get() is the data, valid until the owner lets go, and
// the block is unlocked and freed together. Counted as the block it was made from.
struct LockedGlobalTraits {
    using Storage = GlobalLockTraits::Storage;
    static constexpr HandleKind kTally = HandleKind::GlobalMemory;
    static bool IsValid(const Storage& value) { return value.data != nullptr; }
    static void* Get(const Storage& value) { return value.data; }
    static void Close(const Storage& value)
    {
        GlobalUnlock(value.hmem);
        GlobalFree(value.hmem);
    }
};
using LockedGlobal = UniqueOwner<LockedGlobalTraits>;

// Locks `block` for good; when the lock fails the block is freed and the result empty.
inline LockedGlobal LockGlobal(GlobalBlock block)
{
    void* data = block ? GlobalLock(block.Get()) : nullptr;
    if (!data)
        return LockedGlobal();
    // The block's count carries over to the locked owner.
    return LockedGlobal::Reclaim(LockedGlobalTraits::Storage{block.Detach(), data});
}

// A zero-filled block of `bytes`, locked; empty when the memory cannot be had.
inline LockedGlobal AllocateLockedGlobal(SIZE_T bytes) { return LockGlobal(AllocateGlobal(bytes)); }

}  // namespace korvane
