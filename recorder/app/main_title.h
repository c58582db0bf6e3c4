// The main window's caption, which the stop steps and the merge set. Any thread: from
// another thread the caption change is a message sent to the UI thread.
#pragma once

// The caption the stop steps and the merge give the main window.
constexpr char kPlainMainTitle[] = "Brisko Screen Video Capture";

// Sets the caption of mainWindow, if there is one.
void SetMainTitle(const char* text);
