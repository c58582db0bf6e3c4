// Entry point of the recorder: start-up, the modal main window, shutdown.
#include "app/korvane_app.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    // No exception may leave the process's first frame unexplained: end quietly.
    try {
        theApp.InitInstance();
        return theApp.ExitInstance();
    } catch (...) {
        return 1;
    }
}
