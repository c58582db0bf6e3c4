// FrameWriter: compresses and writes a recording's frames on a thread of its own, so a
// pass of the capture loop costs the grab alone and a large frame's compression no longer
// pushes the next grab back. Frames are written in the order they were handed over; at
// most `depth` wait, and Queue waits for room, so a compressor slower than the frame rate
// slows the loop instead of filling memory. A written frame's memory comes back through
// TakeSpare for the next grab. The sink is called on the writer's thread only, one frame
// at a time; whoever owns what it writes to touches it only after Drain.
#pragma once
#include "frame_dib.h"

#include <windows.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace korvane {

class FrameWriter {
public:
    using Sink = std::function<HRESULT(unsigned position, const PackedFrame& frame)>;

    FrameWriter(Sink sink, size_t depth);
    // Writes what is queued, then ends the thread.
    ~FrameWriter();
    FrameWriter(const FrameWriter&) = delete;
    FrameWriter& operator=(const FrameWriter&) = delete;

    // Hands `frame` over for `position`. Once a write has failed nothing more is written:
    // the frame is dropped and the failure returned, so the caller stops.
    HRESULT Queue(unsigned position, PackedFrame frame);
    // Waits until every frame handed over is written; the first failure, or S_OK.
    HRESULT Drain();
    // A written frame, for its memory, or an empty one. Up to depth + 2 written frames
    // are kept for this (those queued, the one being written, the one being grabbed), so a
    // recording allocates frames only at its start.
    PackedFrame TakeSpare();

    // What has reached the sink successfully so far (complete after Drain).
    unsigned Written() const;
    unsigned LastPosition() const;
    double SinkSeconds() const;

private:
    struct Item {
        unsigned position;
        PackedFrame frame;
    };
    void Run();
    // What an exception that left Run leaves: a failed writer that nobody waits on.
    void Fail() noexcept;

    Sink m_sink;
    size_t m_depth;
    mutable std::mutex m_lock;
    std::condition_variable m_changed;
    std::deque<Item> m_queue;
    std::vector<PackedFrame> m_spares;
    bool m_busy = false;
    bool m_stop = false;
    HRESULT m_failure = S_OK;
    unsigned m_written = 0;
    unsigned m_lastPosition = 0;
    double m_sinkSeconds = 0;
    std::thread m_thread;
};

}  // namespace korvane
