// Pacing decisions of the capture loop as plain functions: which stream position a
// grab lands on, whether it is written, how the interval is slept and when the caption
// blinks during a pause. No clock is read here. Any thread.
#pragma once

namespace korvane {

// Stream position of a grab `elapsedMs` after the start. Up to a 1000 ms interval the
// position follows the elapsed time at 1000 / interval frames a second; above it
// (time lapse) every grab is the next position.
unsigned FrameIndexFor(bool firstFrame, unsigned elapsedMs, int frameIntervalMs,
                       unsigned previousIndex);

// A grab is written when nothing has been written yet or it lands past the last
// written position; a position is never written twice.
bool ShouldWriteFrame(bool anyWritten, unsigned index, unsigned lastWrittenIndex);

// The interval sleep: whole 50 ms slices, then the remainder.
struct IntervalSleep {
    int slices = 0;
    int remainderMs = 0;
};
constexpr int kSleepSliceMs = 50;
IntervalSleep SleepFor(int frameIntervalMs);

// The main window repaints about twice a second while recording.
inline unsigned RepaintTickFor(unsigned elapsedMs) { return elapsedMs / 500; }

// What pass `count` (from 1) of the pause wait does to the main window's caption: every
// 8th pass turns it, blank on the 8th, 24th, 40th ..., shown again on the 16th, 32nd ...
enum class PauseCaption { Keep, Blank, Show };
PauseCaption PauseCaptionFor(unsigned count);

}  // namespace korvane
