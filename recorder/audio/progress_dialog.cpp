// CProgressDialog. UI thread.
#include "progress_dialog.h"

#include "res/resource.h"

#include <commctrl.h>

CProgressDialog::CProgressDialog(HWND parent)
{
    if (HWND hwnd = Create(GetModuleHandleA(nullptr), IDD_PROGRESS, parent))
        ShowWindow(hwnd, SW_HIDE);
}

CProgressDialog::~CProgressDialog()
{
    if (Hwnd())
        DestroyWindow(Hwnd());
}

INT_PTR CProgressDialog::HandleMessage(UINT message, WPARAM, LPARAM)
{
    if (message == WM_INITDIALOG) {
        m_progress = GetDlgItem(Hwnd(), IDC_PROGRESS_BAR);
        return TRUE;
    }
    return FALSE;
}
