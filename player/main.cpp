// Entry point of the player: checks, the frame and its movie window, the skin, then the
// message loop that opens and plays the file named by the command line.
#include "ansi_text.h"
#include "exception_barrier.h"
#include "player_frame.h"
#include "player_rules.h"
#include "resource.h"
#include "skin_api.h"
#include "skin_file.h"

#include <vfw.h>

namespace {

std::string LoadText(HINSTANCE instance, UINT id)
{
    char text[256] = {};
    LoadStringA(instance, id, text, sizeof text);
    return text;
}

void ReportStartFailure(HINSTANCE instance, UINT id)
{
    MessageBoxA(nullptr, LoadText(instance, id).c_str(), "Player", MB_OK);
}

int RunPlayer(HINSTANCE instance, int showCommand)
{
    if (HIWORD(VideoForWindowsVersion()) < 0x010A) {
        MessageBeep(MB_ICONHAND);
        MessageBoxA(nullptr, LoadText(instance, IDS_VFW_TOO_OLD).c_str(), nullptr, MB_ICONHAND);
        return 0;
    }
    if (!PlayerFrame::RegisterPlayerClass(instance)) {
        ReportStartFailure(instance, IDS_REGISTER_FAILED);
        return 0;
    }
    PlayerFrame frame;
    if (!frame.CreateFrame()) {
        ReportStartFailure(instance, IDS_CREATE_FAILED);
        return 0;
    }
    if (!frame.CreateMovieWindow(instance)) {
        DestroyWindow(frame.Hwnd());
        return 0;
    }
    const std::string modulePath = korvane::ModuleFileName(nullptr);
    std::string path = reelpane::MoviePathFromCommandLine(GetCommandLineA(), modulePath.c_str());
    if (path.empty()) {
        // Nothing has been shown; the frame goes with the process.
        DestroyWindow(frame.Hwnd());
        return 1;
    }

    // The skin's results are not looked at: the player works the same without it.
    SkinInitialize(instance, "reelpane", nullptr, 0);
    SkinLoadFile(korvane::SkinFilePathFor(modulePath).c_str());
    SkinApplyToWindow(frame.Hwnd(), "MainFrame");

    frame.SetMoviePath(std::move(path));
    PostMessageA(frame.Hwnd(), WM_PLAYER_OPEN, 0, 0);
    ShowWindow(frame.Hwnd(), showCommand);
    UpdateWindow(frame.Hwnd());

    MSG msg;
    // GetMessage answers -1 on a broken call; that ends the loop rather than spinning.
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return msg.message == WM_QUIT ? static_cast<int>(msg.wParam) : 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand)
{
    // No exception may leave the process's first frame: it is logged, and the player ends.
    try {
        return RunPlayer(instance, showCommand);
    } catch (...) {
        korvane::LogCaughtException("the player");
        return 0;
    }
}
