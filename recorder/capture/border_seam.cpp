// Border window calls of the capture engine. The border window class is not part of
// this build yet; until it is, the recording runs without on-screen marks.
#include "border_seam.h"

#include "recording_state.h"

void FitBorder(int, int, int, int) {}
void ShowBorder() {}
void HideBorder() {}
void PaintBorder(COLORREF) {}
