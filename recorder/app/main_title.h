// The main window's caption, which the recording thread blanks while paused.
// Any thread: from the recording thread the caption change is a message sent to the
// UI thread, which never waits on the recording thread.
#pragma once

// Sets the caption of mainWindow, if there is one.
void SetMainTitle(const char* text);
