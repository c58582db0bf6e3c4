// The clock a recording's picture and sound are placed by. Any thread.
#pragma once

// Milliseconds that leave out the time the machine slept or hibernated, wrapping as
// timeGetTime does. timeGetTime runs on through a sleep: after an hour asleep the next
// frame would be placed an hour on, and the sound filled up to meet it. Where the system
// has no such clock, timeGetTime.
unsigned RecordingClockMs();
