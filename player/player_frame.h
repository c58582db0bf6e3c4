// PlayerFrame: the "Player" frame window with its menu and the MCI video window inside
// it, which does all decoding, drawing and sound. UI thread only; the object must
// outlive its window.
#pragma once
#include "window_base.h"

#include <windows.h>

#include <string>
#include <utility>

// Posted once by start-up so the file opens from the message loop.
constexpr UINT WM_PLAYER_OPEN = WM_USER + 1;

class PlayerFrame : public WindowBase {
public:
    // Registers the "Player" class; false when the system refuses it.
    static bool RegisterPlayerClass(HINSTANCE instance);

    // Creates the frame at its empty size, hidden.
    bool CreateFrame();
    // Creates the MCI video window inside the frame; false when it cannot be made.
    bool CreateMovieWindow(HINSTANCE instance);
    void SetMoviePath(std::string path) { moviePath = std::move(path); }

    HWND movieWindow = nullptr;
    bool movieOpen = false;
    HMENU playerMenu = nullptr;
    std::string moviePath;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void OnPaint();
    void OnCommand(int id);
    LRESULT OnOpenAndPlay();
    void OnMovieSizeChanged();
    void OnDestroy();
    void UpdateMenu();
    SIZE EmptySize() const;
};
