// Stands in for comdlg32.dll beside the recorder (WINEDLLOVERRIDES=comdlg32=n): the save
// dialog cannot be shown, as when the system is out of the resources to make it.
#include <windows.h>
#include <cderr.h>

namespace {
DWORD lastFailure = 0;
}

// The real header is not included: it declares these as imports.
extern "C" BOOL WINAPI GetSaveFileNameA(void*)
{
    lastFailure = CDERR_DIALOGFAILURE;
    return FALSE;
}

extern "C" DWORD WINAPI CommDlgExtendedError() { return lastFailure; }
