// The session-wide mutex says a recorder runs; a property on its main window says where.
#include "single_instance.h"

namespace {

const char kMutexName[] = "Local\\Korvane.Recorder";
const char kWindowMark[] = "Korvane.RecorderMain";

BOOL CALLBACK FindMarked(HWND hwnd, LPARAM found)
{
    if (!GetPropA(hwnd, kWindowMark))
        return TRUE;
    *reinterpret_cast<HWND*>(found) = hwnd;
    return FALSE;
}

void BringToFront(HWND hwnd)
{
    if (IsIconic(hwnd))
        ShowWindow(hwnd, SW_RESTORE);
    // This process is the one the user just started, so it may hand the foreground on.
    SetForegroundWindow(hwnd);
}

}  // namespace

bool RecorderInstance::Claim(DWORD waitMs)
{
    HANDLE mutex = CreateMutexA(nullptr, TRUE, kMutexName);
    const bool another = GetLastError() == ERROR_ALREADY_EXISTS;
    m_mutex = korvane::KernelHandle(mutex);
    // Without the mutex nothing can be told: run, as before there was one.
    if (!m_mutex || !another)
        return true;
    const DWORD start = GetTickCount();
    do {
        // Ours once the other recorder has ended (or was killed, leaving it abandoned).
        const DWORD waited = WaitForSingleObject(m_mutex.Get(), 200);
        if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED)
            return true;
        HWND running = nullptr;
        EnumWindows(FindMarked, reinterpret_cast<LPARAM>(&running));
        if (running) {
            BringToFront(running);
            return false;
        }
    } while (GetTickCount() - start < waitMs);
    // A recorder that holds the mutex and shows no window (still starting, or hung): this
    // start gives way rather than record beside it.
    return false;
}

void MarkRecorderWindow(HWND hwnd) { SetPropA(hwnd, kWindowMark, reinterpret_cast<HANDLE>(1)); }

void UnmarkRecorderWindow(HWND hwnd) { RemovePropA(hwnd, kWindowMark); }
