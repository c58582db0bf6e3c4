// The region selection window ("ShiftRegionWindow"), over every monitor: the user drags out a
// rectangle or places the fixed-size frame, and the chosen area goes to `captureRect`
// followed by a record-start message (or to the options dialog that asked for it).
// UI thread only.
#pragma once
#include <windows.h>

// The options dialog sets these before it shows the window for a fixed-area choice.
extern int fixedRegionRequest;
extern HWND optionsDialogWindow;

// Registers the class and creates the hidden window into `regionWindow`.
void CreateRegionWindow();

// Draws the first fixed frame (at the screen's top-left) and lets it follow the mouse.
int BeginFixedFrame();

// Toggles the XOR frame of `rect` on `hdc` and shows (show = 1) or removes the label.
void DrawSelectionFrame(HDC hdc, int show, const RECT& rect);

// The rectangle rules on the virtual screen as last measured (`virtualScreen`).
RECT& NormalizeRect(RECT& rect);
RECT& ClampRectToScreen(RECT& rect);
