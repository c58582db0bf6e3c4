// The caption's blinking while paused. UI thread only.
#include "caption_blink.h"

#include "hotkey_rules.h"

#include <string>

namespace {

// The caption the blinking blanked, to be shown again.
std::string shownCaption;

}  // namespace

void BlinkMainCaption(HWND hwnd, bool blank, int isPaused)
{
    char text[256] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    switch (korvane::DecideCaption(blank, isPaused, text[0] == '\0')) {
    case korvane::CaptionChange::Blank:
        shownCaption = text;
        SetWindowTextA(hwnd, "");
        break;
    case korvane::CaptionChange::Restore:
        if (!shownCaption.empty())
            SetWindowTextA(hwnd, shownCaption.c_str());
        break;
    case korvane::CaptionChange::Keep: break;
    }
}
