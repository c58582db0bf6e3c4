// Pacing decisions of the capture loop as plain functions: which stream position a
// grab lands on, whether it is written, when the next grab is due, how a wait is slept
// and when the caption blinks during a pause. No clock is read here. Any thread.
#pragma once

namespace korvane {

// The recording's pace: the stream's frame rate and the interval between grabs
// (1000 / framesPerSecond, or above 1000 ms for a time lapse).
struct FramePace {
    int frameIntervalMs = 40;
    int framesPerSecond = 25;
};

// Stream position of a grab `elapsedMs` after the start. Up to a 1000 ms interval the
// position follows the elapsed time at the stream's own rate, so the movie keeps real
// time even where 1000 / rate is not a whole number of milliseconds (30 and 60 fps);
// above it (time lapse) every grab is the next position.
unsigned FrameIndexFor(bool firstFrame, unsigned elapsedMs, const FramePace& pace,
                       unsigned previousIndex);

// A grab is written when nothing has been written yet or it lands past the last
// written position; a position is never written twice.
bool ShouldWriteFrame(bool anyWritten, unsigned index, unsigned lastWrittenIndex);

// Elapsed time at which the grab after one at `index` (read at `grabElapsedMs`) is due:
// the start of the next position, whatever the grab and its write took, so a slow frame
// is followed at once by the next and the pace never drifts. A time lapse's next grab is
// one interval after this one's start.
unsigned long long NextDueMs(unsigned index, unsigned grabElapsedMs, const FramePace& pace);

// A wait, slept in whole 50 ms slices (so a stop is seen within one), then the remainder.
struct IntervalSleep {
    int slices = 0;
    int remainderMs = 0;
};
constexpr int kSleepSliceMs = 50;
IntervalSleep SleepFor(int waitMs);

// The main window repaints about twice a second while recording.
inline unsigned RepaintTickFor(unsigned elapsedMs) { return elapsedMs / 500; }

// What pass `count` (from 1) of the pause wait does to the main window's caption: every
// 8th pass turns it, blank on the 8th, 24th, 40th ..., shown again on the 16th, 32nd ...
enum class PauseCaption { Keep, Blank, Show };
PauseCaption PauseCaptionFor(unsigned count);

}  // namespace korvane
