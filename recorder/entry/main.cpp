// Entry point of the recorder: start-up, the modal main window, shutdown.
#include "korvane_app.h"
#include "exception_barrier.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    // No exception may leave the process's first frame unexplained: it is logged, and
    // the process ends.
    try {
        theApp.InitInstance();
        return theApp.ExitInstance();
    } catch (...) {
        korvane::LogCaughtException("the recorder's start or end");
        return 1;
    }
}
