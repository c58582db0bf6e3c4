// Move-only owner of a movable global-memory block (GlobalFree), and a lock guard.
// Counted in the handle tallies. Any thread.
#pragma once
#include "handle_tally.h"

#include <windows.h>

#include <utility>

namespace korvane {

class GlobalBlock {
public:
    GlobalBlock() = default;
    // GMEM_MOVEABLE | GMEM_ZEROINIT; empty when the memory cannot be had.
    static GlobalBlock Allocate(SIZE_T bytes)
    {
        return GlobalBlock(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes));
    }
    // Takes a block allocated elsewhere.
    static GlobalBlock Adopt(HGLOBAL hmem) { return GlobalBlock(hmem); }

    ~GlobalBlock() { Reset(); }
    GlobalBlock(GlobalBlock&& other) noexcept : m_hmem(std::exchange(other.m_hmem, nullptr)) {}
    GlobalBlock& operator=(GlobalBlock&& other) noexcept
    {
        if (this != &other) {
            Reset();
            m_hmem = std::exchange(other.m_hmem, nullptr);
        }
        return *this;
    }
    GlobalBlock(const GlobalBlock&) = delete;
    GlobalBlock& operator=(const GlobalBlock&) = delete;

    HGLOBAL Get() const { return m_hmem; }
    explicit operator bool() const { return m_hmem != nullptr; }
    // Hands the block over to our own code that frees it later and notes the close
    // itself (e.g. a packed frame freed by its release function): it stays counted.
    HGLOBAL Detach() { return std::exchange(m_hmem, nullptr); }
    // Hands the block to code outside our accounting that frees it itself.
    HGLOBAL Release()
    {
        if (m_hmem)
            NoteClosed(HandleKind::GlobalMemory);
        return std::exchange(m_hmem, nullptr);
    }
    void Reset()
    {
        if (m_hmem) {
            GlobalFree(std::exchange(m_hmem, nullptr));
            NoteClosed(HandleKind::GlobalMemory);
        }
    }

private:
    explicit GlobalBlock(HGLOBAL hmem) : m_hmem(hmem)
    {
        if (m_hmem)
            NoteOpened(HandleKind::GlobalMemory);
    }
    HGLOBAL m_hmem = nullptr;
};

// Keeps a block locked for its lifetime.
class GlobalLockGuard {
public:
    explicit GlobalLockGuard(HGLOBAL hmem) : m_hmem(hmem), m_data(hmem ? GlobalLock(hmem) : nullptr) {}
    ~GlobalLockGuard()
    {
        if (m_data)
            GlobalUnlock(m_hmem);
    }
    GlobalLockGuard(const GlobalLockGuard&) = delete;
    GlobalLockGuard& operator=(const GlobalLockGuard&) = delete;

    void* Data() const { return m_data; }

private:
    HGLOBAL m_hmem;
    void* m_data;
};

}  // namespace korvane
