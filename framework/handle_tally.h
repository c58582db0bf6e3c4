// Counts of handles our owners opened and closed, by kind. Wine's GetGuiResources
// always answers 0, so these tallies are how tests prove that per-frame code leaves
// nothing behind. Any thread (the counters are atomics).
#pragma once
#include <atomic>

namespace korvane {

// Uncounted marks owners whose handles no test needs to count (paint DCs, locks...).
enum class HandleKind {
    Dc,
    GdiObject,
    GlobalMemory,
    AviObject,
    Compressor,
    Kernel,  // files, threads, events, find handles, modules
    Audio,   // wave-in devices, ACM streams
    Count,
    Uncounted
};

struct HandleTally {
    std::atomic<long> opened{0};
    std::atomic<long> closed{0};
    long Open() const { return opened.load() - closed.load(); }
};

inline HandleTally handleTallies[static_cast<int>(HandleKind::Count)];

inline HandleTally& Tally(HandleKind kind) { return handleTallies[static_cast<int>(kind)]; }
inline void NoteOpened(HandleKind kind) { ++Tally(kind).opened; }
inline void NoteClosed(HandleKind kind) { ++Tally(kind).closed; }

}  // namespace korvane
